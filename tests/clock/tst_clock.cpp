// The prayer clock on a clock the test moves: the alarm rules, the regional
// forms, and two weeks across the clock changes. Qt Core only, no window.
#include "clock/AlarmCheck.h"
#include "clock/ClockView.h"
#include "clock/RefreshTick.h"
#include "components/DispatchIds.h"
#include "platform/RegionalFormat.h"
#include "platform/SecondBeat.h"
#include "tests/support/FakeClock.h"

#include <QtTest>

using platform::CallKind;

namespace {
const QString F = "حان الان موعد صلاة الفجر|", D = "حان الان موعد صلاة الظهر|",
              M = "حان الان موعد صلاة المغرب|";
const QStringList kDefaults{"05:06:00 ص", "11:47:00 ص", "05:18:00 م"};

// A label or player: keeps what is put, counts the methods called.
struct Control : platform::Dispatchable {
    QHash<int, QString> put;
    int calls = 0;
    platform::DispatchResult invoke(std::int32_t id, CallKind kind,
                                    const QVariantList& a) override {
        if (kind == CallKind::PropertyPut)
            put[id] = a.value(0).toString();
        calls += kind == CallKind::Method;
        return platform::DispatchResult::success(put.value(id));
    }
};
// The window as the clock logic sees it. Each box records its text and the
// clock text it came at, and runs `whileOpen` before it closes.
struct View : prayer::ClockView {
    QStringList fields = kDefaults, boxes;
    Control clock, date, audio;
    std::function<void()> whileOpen = [] {};
    int switchValue() const override { return 0; }
    QString fieldText(int slot) const override { return fields.value(slot); }
    void setFieldEnabled(int, bool) override {}
    platform::Dispatchable& clockLabel() override { return clock; }
    platform::Dispatchable& dateLabel() override { return date; }
    platform::Dispatchable& player() override { return audio; }
    void showMessage(const QString& text) override {
        boxes << text + u'|' + clock.put[dispid::kLabelText];
        whileOpen();
    }
};
const platform::RegionalFormat kArabic = platform::RegionalFormat::forLocale("ar_SA.UTF-8");
QDateTime at(const QString& time, QDate day = QDate(2024, 3, 15)) {
    return QDateTime(day, QTime::fromString(time));
}

struct AlarmRow {
    const char* name;
    QString start;
    QStringList fields;
    QList<int> steps; // seconds from one tick to the next
    int ticksInBox;
    QStringList boxes;
};
// clang-format off
const QList<AlarmRow> kAlarms{
    {"dawn, once", "05:05:58", kDefaults, {1, 0, 0, 1, 1}, 0, {F + "05:06:00 ص"}},
    {"morning is not evening", "05:17:59", kDefaults, {1, 1}, 0, {}},
    {"noon's hour is after noon", "12:29:59", {"12:30:00 ص", "12:30:00 م"}, {1}, 0, {D + "12:30:00 م"}},
    {"same time, slot order", "05:05:59", {"05:06:00 ص", "05:06:00 ص"}, {1}, 0, {F + "05:06:00 ص", D + "05:06:00 ص"}},
    {"near misses", "05:05:59", {"5:06:00 ص", "05:06 ص", "05:06:00"}, {1}, 0, {}},
    {"ticks go on in a box", "05:05:59", {"05:06:00 ص", "05:06:02 ص"}, {1}, 3, {F + "05:06:00 ص", D + "05:06:02 ص"}},
    {"clock set back", "05:05:59", kDefaults, {1, 1, -2, 1}, 0, {F + "05:06:00 ص", F + "05:06:00 ص"}},
};
// clang-format on

struct WeekRow {
    const char* name;
    QDate monday;
    QList<std::tuple<int, const char*, int>> jumps; // day, local time, seconds
    QList<qsizetype> alarms;                        // per slot
};
// clang-format off
const QList<WeekRow> kWeeks{
    {"spring forward", {2024, 3, 25}, {{2, "11:00:00", 3600}, {3, "17:18:02", -5}, {4, "01:25:00", 600}}, {5, 6, 8}},
    {"fall back", {2024, 10, 21}, {{1, "11:46:59", 2}, {2, "18:00:00", -3600}}, {8, 6, 8}},
};
// clang-format on

template <typename Rows> void rows(const Rows& r) {
    QTest::addColumn<int>("row");
    for (int i = 0; i < r.size(); ++i)
        QTest::newRow(r[i].name) << i;
}
} // namespace

class ClockTest : public QObject {
    Q_OBJECT
private slots:
    void alarms_data() { rows(kAlarms); }
    void alarms() {
        QFETCH(int, row);
        const AlarmRow& r = kAlarms[row];
        testing::FakeClock clock(at(r.start));
        View v;
        v.fields = r.fields;
        prayer::AlarmCheck alarm(v);
        const auto tick = [&] {
            prayer::refreshTick(v, clock, kArabic);
            alarm.run();
            alarm.run();
        };
        v.whileOpen = [&] {
            for (int i = 0; i < r.ticksInBox; ++i, clock.advanceMs(1000))
                tick();
        };
        tick();
        for (int s : r.steps)
            clock.advanceMs(s * 1000), tick();
        QCOMPARE(v.boxes, r.boxes);
        QCOMPARE(v.audio.calls, r.boxes.size());
    }

    void regional_data() {
        QTest::addColumn<QStringList>("env"); // LC_ALL, LC_TIME, LANG, time, its text
        QTest::newRow("midnight") << QStringList{"", "ar_EG", "C", "00:00:05", "12:00:05 ص"};
        QTest::newRow("LC_ALL first") << QStringList{"C", "ar_SA", "ar_SA", "17:18:00", "17:18:00"};
        QTest::newRow("unknown") << QStringList{"", "", "xx_YY.UTF-8", "05:06:00", "05:06:00"};
    }
    void regional() {
        QFETCH(QStringList, env);
        for (const char* var : {"LC_ALL", "LC_TIME", "LANG"})
            qputenv(var, env.takeFirst().toLatin1());
        QCOMPARE(platform::RegionalFormat::fromEnvironment().longTime(QTime::fromString(env[0])),
                 env[1]);
    }

    // A week of second beats each (TZ=Europe/London), the clock stepped and the
    // machine suspended on some days; at its end the labels show the next
    // Monday's first second.
    void weeks_data() { rows(kWeeks); }
    void weeks() {
        QFETCH(int, row);
        const WeekRow& r = kWeeks[row];
        const auto noon = [](int month) { return QDateTime(QDate(2024, month, 1), QTime(12, 0)); };
        QCOMPARE(noon(7).offsetFromUtc() - noon(1).offsetFromUtc(), 3600); // London: summer time
        testing::FakeClock clock(QDateTime(r.monday, QTime(0, 0)));
        View v;
        v.fields = QStringList{"01:30:00 ص", "11:47:00 ص", "05:18:00 م"};
        prayer::AlarmCheck alarm(v);
        platform::SecondBeat beat(clock);
        beat.subscribe([&] { prayer::refreshTick(v, clock, kArabic); });
        beat.subscribe([&] { alarm.run(); });
        QList<std::pair<qint64, int>> due;
        for (auto [day, time, seconds] : r.jumps)
            due.append({at(time, r.monday.addDays(day)).toMSecsSinceEpoch(), seconds});
        const qint64 end = QDateTime(r.monday.addDays(7), QTime(0, 0)).toMSecsSinceEpoch();
        while (clock.msecsSinceEpoch() < end) {
            clock.advanceMs(platform::SecondBeat::msUntilNextSecond(clock.msecsSinceEpoch()) + 3);
            beat.wake();
            if (!due.isEmpty() && clock.msecsSinceEpoch() >= due.front().first)
                clock.advanceMs(due.takeFirst().second * 1000);
        }
        QCOMPARE(
            (QList{v.boxes.filter(F).size(), v.boxes.filter(D).size(), v.boxes.filter(M).size()}),
            r.alarms);
        QCOMPARE(v.clock.put[0] + v.date.put[0],
                 "12:00:00 ص" + r.monday.addDays(7).toString("dd/MM/yyyy"));
    }

    // The real clock reads the local date and time, here five and a half hours
    // ahead of UTC. Last, as it changes the time zone.
    void realClock() {
        qputenv("TZ", "Asia/Kolkata");
        const QDateTime now = platform::SystemClock::instance().now();
        const QDateTime read(now.date(), now.time(), Qt::UTC); // as the labels show it
        QVERIFY(qAbs(read.secsTo(QDateTime::currentDateTimeUtc().addSecs(330 * 60))) <= 1);
    }
};

QTEST_GUILESS_MAIN(ClockTest)
#include "tst_clock.moc"
