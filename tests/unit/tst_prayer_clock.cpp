// The prayer clock and the alarm, driven across whole days by a clock the
// test moves, with the real skin labels and a recording player.

#include "clock/AlarmCheck.h"
#include "clock/ClockView.h"
#include "clock/PrayerSlots.h"
#include "clock/RefreshTick.h"
#include "components/SkinnedLabel.h"
#include "platform/RegionalFormat.h"
#include "platform/RuntimeError.h"
#include "tests/support/TestSupport.h"

#include <QtTest>

#include <array>

using testing::FakeClock;
using testing::RecordingPlayer;

namespace {

const QString kDawn = QStringLiteral("05:06:00 ص");
const QString kNoon = QStringLiteral("11:47:00 ص");
const QString kSunset = QStringLiteral("05:18:00 م");

// A window of our own: real labels, plain fields, a recording player, and
// message boxes that the test answers in code.
class TestView final : public prayer::ClockView {
public:
    TestView() {
        time1.setText(QStringLiteral("time"));
        date1.setText(QStringLiteral("date"));
        for (int i = 0; i < 3; ++i)
            fields[static_cast<size_t>(i)] =
                QString::fromUtf16(prayer::kSlots[static_cast<size_t>(i)].defaultTime);
    }
    int switchValue() const override {
        ++switchReads;
        return switchState;
    }
    QString fieldText(int slot) const override { return fields.at(static_cast<size_t>(slot)); }
    void setFieldEnabled(int slot, bool on) override { enabled.at(static_cast<size_t>(slot)) = on; }
    platform::Dispatchable& clockLabel() override { return time1; }
    platform::Dispatchable& dateLabel() override { return date1; }
    platform::Dispatchable& player() override { return recorder; }
    void showMessage(const QString& text) override {
        messages.push_back(text);
        events.push_back(QStringLiteral("box:") + text);
        if (whileBoxOpen)
            whileBoxOpen(text);
        events.push_back(QStringLiteral("closed:") + text);
    }

    int switchState = 0;
    mutable int switchReads = 0;
    std::array<QString, 3> fields;
    std::array<bool, 3> enabled{{true, true, true}};
    SkinnedLabel time1, date1;
    RecordingPlayer recorder;
    QStringList messages;
    QStringList events;
    std::function<void(const QString&)> whileBoxOpen;
};

QString message(int slot) {
    return QString::fromUtf16(prayer::kSlots[static_cast<size_t>(slot)].message);
}

} // namespace

class PrayerClockTest : public QObject {
    Q_OBJECT

private:
    // One timer tick of each handler, refresh first.
    static void tick(TestView& v, prayer::AlarmCheck& alarm, const FakeClock& clock,
                     const platform::RegionalFormat& fmt) {
        prayer::refreshTick(v, clock, fmt);
        alarm.run();
    }

private Q_SLOTS:
    void slotsHoldTheirTexts() {
        QCOMPARE(QString::fromUtf16(prayer::kSlots[0].name), QStringLiteral("صلاة الفجر"));
        QCOMPARE(QString::fromUtf16(prayer::kSlots[1].name), QStringLiteral("صلاة الظهر"));
        QCOMPARE(QString::fromUtf16(prayer::kSlots[2].name), QStringLiteral("صلاة المغرب"));
        QCOMPARE(QString::fromUtf16(prayer::kSlots[0].defaultTime), kDawn);
        QCOMPARE(QString::fromUtf16(prayer::kSlots[1].defaultTime), kNoon);
        QCOMPARE(QString::fromUtf16(prayer::kSlots[2].defaultTime), kSunset);
        QCOMPARE(message(0), QStringLiteral("حان الان موعد صلاة الفجر"));
        QCOMPARE(message(1), QStringLiteral("حان الان موعد صلاة الظهر"));
        QCOMPARE(message(2), QStringLiteral("حان الان موعد صلاة المغرب"));
    }

    // A whole day and a bit, four ticks a second, across midnight: each slot
    // fires once, at its second, in order; the date changes once.
    void simulatedDay() {
        const auto fmt = platform::RegionalFormat::forLocale(QStringLiteral("ar_SA.UTF-8"));
        FakeClock clock(QDateTime(QDate(2024, 3, 15), QTime(18, 0, 0)));
        TestView v;
        prayer::AlarmCheck alarm(v);
        QStringList firedAt;
        v.whileBoxOpen = [&](const QString&) { firedAt << clock.now().toString(Qt::ISODate); };
        QStringList dates;
        const qint64 ticks = 25LL * 3600 * 4; // 360,000 ticks of 250 ms
        for (qint64 i = 0; i < ticks; ++i) {
            tick(v, alarm, clock, fmt);
            if (dates.isEmpty() || dates.last() != v.date1.text())
                dates << v.date1.text();
            clock.advanceMs(250);
        }
        QCOMPARE(v.messages, (QStringList{message(0), message(1), message(2)}));
        QCOMPARE(firedAt, (QStringList{QStringLiteral("2024-03-16T05:06:00"),
                                       QStringLiteral("2024-03-16T11:47:00"),
                                       QStringLiteral("2024-03-16T17:18:00")}));
        QCOMPARE(v.recorder.plays, 3);
        QCOMPARE(v.recorder.source, QStringLiteral("athan.mp3"));
        QCOMPARE(dates, (QStringList{QStringLiteral("15/03/2024"), QStringLiteral("16/03/2024")}));
    }

    // Each alarm sets the clip, then plays it, then shows its box.
    void alarmOrderOfCalls() {
        const auto fmt = platform::RegionalFormat::forLocale(QStringLiteral("ar"));
        FakeClock clock(QDateTime(QDate(2024, 3, 15), QTime(5, 6, 0)));
        TestView v;
        prayer::AlarmCheck alarm(v);
        QList<int> callsAtBox;
        v.whileBoxOpen = [&](const QString&) {
            callsAtBox << static_cast<int>(v.recorder.calls.size());
        };
        tick(v, alarm, clock, fmt);
        QCOMPARE(v.recorder.calls.size(), size_t(2));
        QCOMPARE(v.recorder.calls[0].id, 102);
        QCOMPARE(v.recorder.calls[0].kind, platform::CallKind::PropertyPut);
        QCOMPARE(v.recorder.calls[0].args, (QVariantList{QStringLiteral("athan.mp3")}));
        QCOMPARE(v.recorder.calls[1].id, 257);
        QCOMPARE(v.recorder.calls[1].kind, platform::CallKind::Method);
        QVERIFY(v.recorder.calls[1].args.isEmpty());
        QCOMPARE(callsAtBox, QList<int>{2});
    }

    // Rule: the clock keeps running while a box is open, and a check for a new
    // clock text runs then too, so a box left open does not silence the next
    // prayer.
    void newSecondIsCheckedWhileBoxOpen() {
        const auto fmt = platform::RegionalFormat::forLocale(QStringLiteral("ar"));
        FakeClock clock(QDateTime(QDate(2024, 3, 15), QTime(5, 6, 0)));
        TestView v;
        v.fields[1] = QStringLiteral("05:06:30 ص"); // noon moved half a minute after dawn
        prayer::AlarmCheck alarm(v);
        bool nested = false;
        v.whileBoxOpen = [&](const QString& text) {
            if (text != message(0) || nested)
                return;
            nested = true;
            // The user leaves the dawn box open for a minute; ticks go on.
            for (int s = 0; s < 60 * 4; ++s) {
                clock.advanceMs(250);
                tick(v, alarm, clock, fmt);
            }
        };
        tick(v, alarm, clock, fmt);
        QCOMPARE(v.messages, (QStringList{message(0), message(1)}));
        QCOMPARE(v.events.indexOf(QStringLiteral("box:") + message(1)) <
                     v.events.indexOf(QStringLiteral("closed:") + message(0)),
                 true);
        QCOMPARE(v.time1.text(), QStringLiteral("05:07:00 ص"));
        QCOMPARE(v.recorder.plays, 2);
    }

    // Rule: each clock text is handled once, however many ticks see it, and
    // closing the box within the same second does not fire it again.
    void eachClockTextHandledOnce() {
        const auto fmt = platform::RegionalFormat::forLocale(QStringLiteral("ar"));
        FakeClock clock(QDateTime(QDate(2024, 3, 15), QTime(11, 46, 59, 900)));
        TestView v;
        prayer::AlarmCheck alarm(v);
        int nestedTicks = 0;
        v.whileBoxOpen = [&](const QString&) {
            // Ticks keep coming while the box is open, within the same second.
            for (int i = 0; i < 50; ++i) {
                clock.advanceMs(1);
                tick(v, alarm, clock, fmt);
                ++nestedTicks;
            }
        };
        for (int i = 0; i < 1000; ++i) { // a tick every millisecond for a second
            tick(v, alarm, clock, fmt);
            clock.advanceMs(1);
        }
        QCOMPARE(nestedTicks, 50);
        QCOMPARE(v.messages, QStringList{message(1)});
        QCOMPARE(v.recorder.plays, 1);
    }

    // Rule: one check compares every slot with the text it began with; two
    // slots holding the same time both fire, in slot order, the second after
    // the first box is closed, however long the user took.
    void sameTextInTwoSlots() {
        const auto fmt = platform::RegionalFormat::forLocale(QStringLiteral("ar"));
        FakeClock clock(QDateTime(QDate(2024, 3, 15), QTime(5, 18, 0).addSecs(12 * 3600)));
        TestView v;
        v.fields[0] = kSunset; // dawn holds the sunset text too
        prayer::AlarmCheck alarm(v);
        v.whileBoxOpen = [&](const QString& text) {
            if (text != message(0))
                return;
            for (int s = 0; s < 10 * 4; ++s) { // ten seconds pass before OK
                clock.advanceMs(250);
                tick(v, alarm, clock, fmt);
            }
        };
        tick(v, alarm, clock, fmt);
        QCOMPARE(v.messages, (QStringList{message(0), message(2)}));
        QCOMPARE(v.events, (QStringList{QStringLiteral("box:") + message(0),
                                        QStringLiteral("closed:") + message(0),
                                        QStringLiteral("box:") + message(2),
                                        QStringLiteral("closed:") + message(2)}));
        QCOMPARE(v.recorder.plays, 2);
        QCOMPARE(v.recorder.calls.size(), size_t(4)); // source, play, source, play
    }

    // A clock stepped back shows a text again: it is a new showing, and fires.
    void clockSteppedBackFiresAgain() {
        const auto fmt = platform::RegionalFormat::forLocale(QStringLiteral("ar"));
        FakeClock clock(QDateTime(QDate(2024, 3, 15), QTime(5, 6, 0)));
        TestView v;
        prayer::AlarmCheck alarm(v);
        tick(v, alarm, clock, fmt);
        clock.advanceMs(1000);
        tick(v, alarm, clock, fmt);
        clock.advanceMs(-1000);
        tick(v, alarm, clock, fmt);
        QCOMPARE(v.messages, (QStringList{message(0), message(0)}));
    }

    void switchDrivesFields_data() {
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("clear") << 0 << false;
        QTest::newRow("ticked") << 1 << true;
        QTest::newRow("greyed") << 2 << false;
    }
    void switchDrivesFields() {
        QFETCH(int, state);
        QFETCH(bool, enabled);
        const auto fmt = platform::RegionalFormat::forLocale(QStringLiteral("ar"));
        FakeClock clock;
        TestView v;
        v.enabled = {!enabled, !enabled, !enabled};
        v.switchState = state;
        prayer::refreshTick(v, clock, fmt);
        QCOMPARE(v.enabled, (std::array<bool, 3>{enabled, enabled, enabled}));
        QCOMPARE(v.switchReads, 3); // read anew for each field
    }

    // A field edited while the switch is ticked keeps its text when the switch
    // is cleared, and the alarm uses the new text; a read-only field still fires.
    void editedTextIsUsedAndReadOnlyFieldFires() {
        const auto fmt = platform::RegionalFormat::forLocale(QStringLiteral("ar"));
        FakeClock clock(QDateTime(QDate(2024, 3, 15), QTime(9, 59, 58)));
        TestView v;
        prayer::AlarmCheck alarm(v);
        v.switchState = 1;
        tick(v, alarm, clock, fmt);
        v.fields[1] = QStringLiteral("10:00:00 ص");
        v.switchState = 0;
        clock.advanceMs(1000);
        tick(v, alarm, clock, fmt);
        QCOMPARE(v.enabled[1], false);
        QVERIFY(v.messages.isEmpty());
        clock.advanceMs(1000);
        tick(v, alarm, clock, fmt);
        QCOMPARE(v.messages, QStringList{message(1)});
    }

    // Texts that look like the time but are not exactly the clock text never fire.
    void nearMissesNeverFire_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("no seconds") << QStringLiteral("05:06 ص");
        QTest::newRow("no leading zero") << QStringLiteral("5:06:00 ص");
        QTest::newRow("no designator") << QStringLiteral("05:06:00");
        QTest::newRow("empty") << QString();
        QTest::newRow("trailing space") << QStringLiteral("05:06:00 ص ");
        QTest::newRow("leading space") << QStringLiteral(" 05:06:00 ص");
        QTest::newRow("arabic-indic digits") << QStringLiteral("٠٥:٠٦:٠٠ ص");
        QTest::newRow("bidi mark") << QStringLiteral("05:06:00\u200F ص");
        QTest::newRow("control char") << QStringLiteral("05:06:00\tص");
        QTest::newRow("emoji") << QStringLiteral("05:06:00 ص🕌");
        QTest::newRow("very long") << (kDawn + QString(65536, QLatin1Char('x')));
    }
    void nearMissesNeverFire() {
        QFETCH(QString, text);
        const auto fmt = platform::RegionalFormat::forLocale(QStringLiteral("ar"));
        TestView v;
        v.fields = {text, text, text};
        prayer::AlarmCheck alarm(v);
        // Around the time each text resembles, morning and afternoon.
        for (const QTime start : {QTime(5, 5, 0), QTime(17, 5, 0)}) {
            FakeClock clock(QDateTime(QDate(2024, 3, 15), start));
            for (int s = 0; s < 120 * 4; ++s) {
                tick(v, alarm, clock, fmt);
                clock.advanceMs(250);
            }
        }
        QVERIFY(v.messages.isEmpty());
    }

    // With a 24-hour regional form the clock text never has the Arabic form,
    // and the default times never fire.
    void twentyFourHourLocaleNeverMatchesDefaults() {
        const auto fmt = platform::RegionalFormat::forLocale(QStringLiteral("C.UTF-8"));
        FakeClock clock(QDateTime(QDate(2024, 3, 15), QTime(0, 0, 0)));
        TestView v;
        prayer::AlarmCheck alarm(v);
        for (int s = 0; s < 24 * 3600; ++s) {
            tick(v, alarm, clock, fmt);
            if (s == 17 * 3600 + 18 * 60)
                QCOMPARE(v.time1.text(), QStringLiteral("17:18:00"));
            clock.advanceMs(1000);
        }
        QVERIFY(v.messages.isEmpty());
    }

    // A refused call on the player ends the run: the failure reaches the caller.
    void playerFailureIsNotSwallowed() {
        struct RefusingPlayer final : platform::Dispatchable {
            platform::DispatchResult invoke(std::int32_t, platform::CallKind,
                                            const QVariantList&) override {
                return platform::DispatchResult::failure(platform::DispatchError::MemberNotFound);
            }
        };
        struct View final : prayer::ClockView {
            SkinnedLabel time1, date1;
            RefusingPlayer p;
            int switchValue() const override { return 0; }
            QString fieldText(int) const override { return QStringLiteral("05:06:00 ص"); }
            void setFieldEnabled(int, bool) override {}
            platform::Dispatchable& clockLabel() override { return time1; }
            platform::Dispatchable& dateLabel() override { return date1; }
            platform::Dispatchable& player() override { return p; }
            void showMessage(const QString&) override { QFAIL("no box after a failed call"); }
        } v;
        v.time1.setText(QStringLiteral("05:06:00 ص"));
        prayer::AlarmCheck alarm(v);
        try {
            alarm.run();
            QFAIL("the failed call was swallowed");
        } catch (const platform::RuntimeError& e) {
            QCOMPARE(e.number(), 438);
        }
    }
};

QTEST_MAIN(PrayerClockTest)
#include "tst_prayer_clock.moc"
