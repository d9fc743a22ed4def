// Two simulated weeks of the real main window, its timers woken the way the
// platform timer wakes them, on a clock the test moves second by second, in a
// time zone with daylight saving time (run with TZ=Europe/London). Every
// alarm is counted and matched to the clock text it went off for.
//
// The rule checked at every wake: a slot goes off exactly once for each time
// the clock label comes to show its field's text, and at no other time; the
// clock and date labels show the clock's local time and date.
//
// What each jump does (London, 2024; prayer times 05:06:00 ص, 11:47:00 ص,
// 05:18:00 م unless said otherwise):
//
//   midnight, every day     the date label changes at the first tick of the
//                           new day; "12:00:00 ص" is shown and nothing fires.
//   clocks go forward       Sun 31 Mar, 01:00 GMT -> 02:00 BST: the label goes
//                           from "12:59:59 ص" straight to "02:00:00 ص". A
//                           field set to "01:30:00 ص" (typed with the switch
//                           ticked) is never shown that night and does not fire.
//   clocks go back          Sun 27 Oct, 02:00 BST -> 01:00 GMT: the label goes
//                           from "01:59:59 ص" back to "01:00:00 ص" and shows
//                           the hour again. A field set to "01:30:00 ص" is
//                           shown twice and fires twice, once at each showing.
//   clock set 1 h forward   Thu 28 Mar 11:30 -> 12:30: noon is never shown and
//                           does not fire that day.
//                           Thu 24 Oct 16:50 -> 17:50: sunset does not fire.
//   clock set 1 h back      Thu 28 Mar 17:30 -> 16:30: sunset is shown again
//                           and fires a second time.
//                           Thu 24 Oct 05:30 -> 04:30: dawn fires twice.
//                           Mon 1 Apr 00:20 -> Sun 31 Mar 23:20: the date label
//                           goes back to 31/03/2024 and forward again at the
//                           second midnight; nothing fires.
//   clock set 3 s forward   Fri 29 Mar 05:05:58 -> 05:06:02: dawn is skipped.
//   clock set 2 s forward   Fri 25 Oct 11:46:59 -> 11:47:02: noon is skipped.
//   clock set 3 s back      Fri 29 Mar 11:47:01 -> 11:46:59: noon fires twice.
//   clock set 5 s back      Fri 25 Oct 17:18:02 -> 17:17:58: sunset fires twice.
//   suspend 7 min 23 s      Sat 30 Mar 17:15:01 -> 17:22:24: the label never
//                           shows 05:18:00 م, so sunset does not fire that day.
//   suspend 10 min 42 s     Sat 26 Oct 05:03:01 -> 05:13:42: dawn does not fire.
//   suspend 5 min 7 s       Sat 26 Oct 23:58:01 -> Sun 27 Oct 00:03:08: the
//                           date label shows the new day at the first tick
//                           after resume; that midnight is never shown.
//
// Alarms: 20 in the week of 27 Mar (dawn 6, noon 7, sunset 7) and 22 in the
// week of 23 Oct (dawn 7, noon 8, sunset 7).

#include "clock/PrayerSlots.h"
#include "components/ClipPlayer.h"
#include "tests/holding/WindowDriver.h"
#include "tests/support/TestSupport.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QMap>
#include <QMessageBox>
#include <QtTest>

#include <array>
#include <vector>

using holding::WindowDriver;
using testing::BoxAnswerer;

namespace {

using Counts = std::array<int, 3>;

const QString kDawn = QString::fromUtf16(prayer::kSlots[0].defaultTime);
const QString kNoon = QString::fromUtf16(prayer::kSlots[1].defaultTime);
const QString kInRepeatedHour = QStringLiteral("01:30:00 ص");

QDateTime at(int month, int day, int h, int m, int s) {
    return {QDate(2024, month, day), QTime(h, m, s)};
}

constexpr qint64 kSecond = 1000;
constexpr qint64 kMinute = 60 * kSecond;
constexpr qint64 kHour = 60 * kMinute;

int slotOfMessage(const QString& message) {
    for (size_t i = 0; i < prayer::kSlots.size(); ++i) {
        if (message == QString::fromUtf16(prayer::kSlots[i].message))
            return static_cast<int>(i);
    }
    return -1;
}

// A week of the window: every text the clock label comes to show, every alarm,
// and whatever broke the rule.
class Week {
public:
    explicit Week(const QDateTime& start) : driver(start) {
        boxes.whileOpen = [this](QMessageBox* box) {
            const auto& c = driver.controls();
            fires.push_back({slotOfMessage(box->text()), c.time1->text(), c.date1->text()});
        };
        QObject::connect(driver.controls().RealAudio1, &ClipPlayer::started,
                         [this](const QString&) { ++plays; });
        showings.push_back(
            {driver.controls().time1->text(), driver.controls().date1->text(), start});
    }

    void runUntil(const QDateTime& end) {
        driver.runUntil(end, [this] { afterWake(); });
    }
    void type(int slot, const QString& text) {
        const QString why = driver.typeIntoField(slot, text);
        if (!why.isEmpty())
            problem(why);
        if (driver.field(slot)->text() != text)
            problem(QStringLiteral("the field holds %1 after typing %2")
                        .arg(driver.field(slot)->text(), text));
    }

    // Alarms by the day the date label showed.
    QMap<QDate, Counts> perDay() const {
        QMap<QDate, Counts> m;
        for (const Fire& f : fires) {
            if (f.slot >= 0)
                ++m[QDate::fromString(f.date, QStringLiteral("dd/MM/yyyy"))]
                   [static_cast<size_t>(f.slot)];
        }
        return m;
    }
    Counts totals() const {
        Counts t{};
        for (const Fire& f : fires) {
            if (f.slot >= 0)
                ++t[static_cast<size_t>(f.slot)];
        }
        return t;
    }
    // The texts shown on `date`, in order.
    QStringList shownOn(const QString& date) const {
        QStringList l;
        for (const Showing& s : showings) {
            if (s.date == date)
                l << s.text;
        }
        return l;
    }
    QStringList datesShown() const {
        QStringList l;
        for (const Showing& s : showings) {
            if (l.isEmpty() || l.back() != s.date)
                l << s.date;
        }
        return l;
    }

    struct Showing {
        QString text;
        QString date;
        QDateTime at;
    };
    struct Fire {
        int slot;
        QString clockText;
        QString date;
    };

    WindowDriver driver;
    BoxAnswerer boxes;
    std::vector<Showing> showings;
    std::vector<Fire> fires;
    int plays = 0;
    int inputs = 0;
    QStringList problems;

private:
    void problem(const QString& what) {
        if (problems.size() < 20)
            problems << QStringLiteral("%1: %2").arg(
                driver.clock().now().toString(Qt::ISODateWithMs), what);
    }

    void afterWake() {
        const auto& c = driver.controls();
        const QString text = c.time1->text();
        const QString date = c.date1->text();
        const QDateTime now = driver.clock().now();
        if (text != holding::expectedClockText(now))
            problem(QStringLiteral("the clock label shows %1").arg(text));
        if (date != holding::expectedDateText(now))
            problem(QStringLiteral("the date label shows %1").arg(date));

        const bool shown = showings.back().text != text;
        if (shown)
            showings.push_back({text, date, now});

        Counts firedNow{};
        for (size_t i = checkedFires_; i < fires.size(); ++i) {
            const Fire& f = fires[i];
            if (f.slot < 0) {
                problem(QStringLiteral("a box that is no alarm"));
                continue;
            }
            ++firedNow[static_cast<size_t>(f.slot)];
            if (f.clockText != text)
                problem(QStringLiteral("slot %1 fired at %2 while the clock showed %3")
                            .arg(f.slot)
                            .arg(f.clockText, text));
        }
        checkedFires_ = fires.size();
        bool fired = false;
        for (int slot = 0; slot < 3; ++slot) {
            const int expected = shown && driver.field(slot)->text() == text ? 1 : 0;
            const int got = firedNow[static_cast<size_t>(slot)];
            if (got != expected)
                problem(QStringLiteral("slot %1 fired %2 times for %3 (%4)")
                            .arg(slot)
                            .arg(got)
                            .arg(text, shown ? QStringLiteral("newly shown")
                                             : QStringLiteral("still shown")));
            fired = fired || got > 0;
        }

        // A key pressed in the rest of the second (right after each alarm, and
        // now and then): the handlers run again, and nothing fires again.
        if (fired || driver.wakes() % 101 == 0) {
            if (!driver.input())
                problem(QStringLiteral("no beat after input"));
            if (c.time1->text() != text)
                problem(QStringLiteral("the clock label changed on input"));
            if (fires.size() != checkedFires_)
                problem(QStringLiteral("%1 fired again on input in the same second").arg(text));
            checkedFires_ = fires.size();
            ++inputs;
        }
    }

    size_t checkedFires_ = 0;
};

QString str(const Counts& c) {
    return QStringLiteral("%1/%2/%3").arg(c[0]).arg(c[1]).arg(c[2]);
}

// Alarms by day, "date dawn/noon/sunset" each.
QStringList byDay(const QMap<QDate, Counts>& days) {
    QStringList l;
    for (auto it = days.cbegin(); it != days.cend(); ++it)
        l << it.key().toString(QStringLiteral("dd/MM/yyyy")) + u' ' + str(it.value());
    return l;
}

void report(const char* name, Week& w, qint64 elapsedMs) {
    qInfo("%s: %zu alarms (dawn/noon/sunset %s), %lld wakes (%lld early), %d key presses, "
          "%llu beats, %zu clock texts shown, %lld ms",
          name, w.fires.size(), qPrintable(str(w.totals())),
          static_cast<long long>(w.driver.wakes()), static_cast<long long>(w.driver.earlyWakes()),
          w.inputs, static_cast<unsigned long long>(w.driver.beat().beats()), w.showings.size(),
          static_cast<long long>(elapsedMs));
    qInfo("%s: by day: %s", name, qPrintable(byDay(w.perDay()).join(QStringLiteral(", "))));
}

int count(const QStringList& l, const QString& s) {
    return static_cast<int>(l.count(s));
}

} // namespace

class SimulatedWeekTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        // The weeks are chosen around London's changes of 2024.
        const QDateTime before(QDate(2024, 3, 31), QTime(0, 30));
        const QDateTime after(QDate(2024, 3, 31), QTime(3, 0));
        const QDateTime autumn(QDate(2024, 10, 27), QTime(3, 0));
        QVERIFY2(before.offsetFromUtc() == 0 && after.offsetFromUtc() == 3600 &&
                     autumn.offsetFromUtc() == 0,
                 "run with TZ=Europe/London");
    }

    void weekWithClocksGoingForward() {
        QElapsedTimer took;
        took.start();
        Week w(at(3, 26, 23, 59, 0).addMSecs(2));

        w.runUntil(at(3, 28, 11, 30, 0));
        w.driver.stepClock(kHour);
        w.runUntil(at(3, 28, 17, 30, 0));
        w.driver.stepClock(-kHour);

        w.runUntil(at(3, 29, 5, 5, 58));
        w.driver.stepClock(3 * kSecond);
        w.runUntil(at(3, 29, 11, 47, 1));
        w.driver.stepClock(-3 * kSecond);

        w.runUntil(at(3, 30, 17, 15, 0));
        w.driver.stepClock(7 * kMinute + 23'456); // suspended
        w.runUntil(at(3, 30, 22, 0, 0));
        w.type(0, kInRepeatedHour); // inside the hour that will not exist

        w.runUntil(at(3, 31, 3, 0, 0));
        w.type(0, kDawn);

        w.runUntil(at(4, 1, 0, 20, 0));
        w.driver.stepClock(-kHour);

        w.runUntil(at(4, 3, 0, 0, 30));
        report("week of 27 Mar", w, took.elapsed());

        QVERIFY2(w.problems.isEmpty(), qPrintable(w.problems.join(u'\n')));
        QVERIFY2(w.driver.problems.isEmpty(), qPrintable(w.driver.problems.join(u'\n')));
        QVERIFY(w.driver.earlyWakes() > 1000);

        const QMap<QDate, Counts> expected{
            {QDate(2024, 3, 27), {1, 1, 1}}, // plain day
            {QDate(2024, 3, 28), {1, 0, 2}}, // +1 h over noon, -1 h after sunset
            {QDate(2024, 3, 29), {0, 2, 1}}, // +3 s over dawn, -3 s after noon
            {QDate(2024, 3, 30), {1, 1, 0}}, // suspended over sunset
            {QDate(2024, 3, 31), {1, 1, 1}}, // 01:30 never shown; dawn back at 03:00
            {QDate(2024, 4, 1), {1, 1, 1}},  // -1 h over midnight
            {QDate(2024, 4, 2), {1, 1, 1}},  // plain day
        };
        QCOMPARE(byDay(w.perDay()), byDay(expected));
        QCOMPARE(str(w.totals()), QStringLiteral("6/7/7"));
        QCOMPARE(w.boxes.seen.size(), size_t(20));
        QCOMPARE(w.plays, 20);
        QCOMPARE(w.driver.controls().RealAudio1->source(), QStringLiteral("athan.mp3"));

        // Forward: the hour from one o'clock is never shown, nor its alarm.
        const QStringList night = w.shownOn(QStringLiteral("31/03/2024"));
        const qsizetype last = night.indexOf(QStringLiteral("12:59:59 ص"));
        QVERIFY(last >= 0);
        QCOMPARE(night.value(last + 1), QStringLiteral("02:00:00 ص"));
        QCOMPARE(count(night, kInRepeatedHour), 0);
        QCOMPARE(count(night, QStringLiteral("01:00:00 ص")), 0);
        // Every midnight is shown, the one gone through twice twice.
        int midnights = 0;
        for (const auto& s : w.showings)
            midnights += s.text == u"12:00:00 ص" ? 1 : 0;
        QCOMPARE(midnights, 9);
        QCOMPARE(w.datesShown(),
                 (QStringList{"26/03/2024", "27/03/2024", "28/03/2024", "29/03/2024", "30/03/2024",
                              "31/03/2024", "01/04/2024", "31/03/2024", "01/04/2024", "02/04/2024",
                              "03/04/2024"}));
        // A second skipped is never shown; a second stepped back to is shown again.
        QCOMPARE(count(w.shownOn(QStringLiteral("29/03/2024")), kDawn), 0);
        QCOMPARE(count(w.shownOn(QStringLiteral("29/03/2024")), kNoon), 2);
        QCOMPARE(count(w.shownOn(QStringLiteral("30/03/2024")), QStringLiteral("05:18:00 م")), 0);
    }

    void weekWithClocksGoingBack() {
        QElapsedTimer took;
        took.start();
        Week w(at(10, 22, 23, 59, 0).addMSecs(2));

        w.runUntil(at(10, 24, 5, 30, 0));
        w.driver.stepClock(-kHour);
        w.runUntil(at(10, 24, 16, 50, 0));
        w.driver.stepClock(kHour);

        w.runUntil(at(10, 25, 11, 46, 59));
        w.driver.stepClock(2 * kSecond);
        w.runUntil(at(10, 25, 17, 18, 2));
        w.driver.stepClock(-5 * kSecond);

        w.runUntil(at(10, 26, 5, 3, 0));
        w.driver.stepClock(10 * kMinute + 41'789); // suspended
        w.runUntil(at(10, 26, 20, 0, 0));
        w.type(1, kInRepeatedHour); // inside the hour that will repeat
        w.runUntil(at(10, 26, 23, 58, 0));
        w.driver.stepClock(5 * kMinute + 7'250); // suspended over midnight

        w.runUntil(at(10, 27, 3, 0, 0));
        w.type(1, kNoon);

        w.runUntil(at(10, 30, 0, 0, 30));
        report("week of 23 Oct", w, took.elapsed());

        QVERIFY2(w.problems.isEmpty(), qPrintable(w.problems.join(u'\n')));
        QVERIFY2(w.driver.problems.isEmpty(), qPrintable(w.driver.problems.join(u'\n')));

        const QMap<QDate, Counts> expected{
            {QDate(2024, 10, 23), {1, 1, 1}}, // plain day
            {QDate(2024, 10, 24), {2, 1, 0}}, // -1 h after dawn, +1 h over sunset
            {QDate(2024, 10, 25), {1, 0, 2}}, // +2 s over noon, -5 s after sunset
            {QDate(2024, 10, 26), {0, 1, 1}}, // suspended over dawn
            {QDate(2024, 10, 27), {1, 3, 1}}, // 01:30 shown twice; noon back at 03:00
            {QDate(2024, 10, 28), {1, 1, 1}}, // plain days
            {QDate(2024, 10, 29), {1, 1, 1}},
        };
        QCOMPARE(byDay(w.perDay()), byDay(expected));
        QCOMPARE(str(w.totals()), QStringLiteral("7/8/7"));
        QCOMPARE(w.boxes.seen.size(), size_t(22));
        QCOMPARE(w.plays, 22);

        // Back: the hour from one o'clock is shown twice, and so is its alarm.
        const QStringList night = w.shownOn(QStringLiteral("27/10/2024"));
        const qsizetype last = night.indexOf(QStringLiteral("01:59:59 ص"));
        QVERIFY(last >= 0);
        QCOMPARE(night.value(last + 1), QStringLiteral("01:00:00 ص"));
        QCOMPARE(count(night, kInRepeatedHour), 2);
        QList<int> offsets;
        for (const auto& s : w.showings) {
            if (s.text == kInRepeatedHour && s.date == u"27/10/2024")
                offsets.push_back(s.at.offsetFromUtc());
        }
        QCOMPARE(offsets, (QList<int>{3600, 0}));
        int inRepeatedHour = 0;
        for (const auto& f : w.fires)
            inRepeatedHour += f.slot == 1 && f.clockText == kInRepeatedHour ? 1 : 0;
        QCOMPARE(inRepeatedHour, 2);
        // The midnight slept through is never shown; the date follows on resume.
        QCOMPARE(count(night, QStringLiteral("12:00:00 ص")), 0);
        QCOMPARE(w.shownOn(QStringLiteral("27/10/2024")).value(0), QStringLiteral("12:03:08 ص"));
        QCOMPARE(w.datesShown(),
                 (QStringList{"22/10/2024", "23/10/2024", "24/10/2024", "25/10/2024", "26/10/2024",
                              "27/10/2024", "28/10/2024", "29/10/2024", "30/10/2024"}));
        QCOMPARE(count(w.shownOn(QStringLiteral("24/10/2024")), kDawn), 2);
        QCOMPARE(count(w.shownOn(QStringLiteral("25/10/2024")), kNoon), 0);
    }
};

QTEST_MAIN(SimulatedWeekTest)
#include "tst_simulated_week.moc"
