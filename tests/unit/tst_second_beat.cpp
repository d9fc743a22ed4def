// The beat behind the windows' timers: aimed at each wall-clock second on the
// clock it is given, re-aimed at every wake, and woken by input.

#include "platform/IntervalTimer.h"
#include "platform/SecondBeat.h"
#include "tests/support/TestSupport.h"

#include <QLineEdit>
#include <QtTest>

using platform::SecondBeat;
using testing::FakeClock;

namespace {
QDateTime at(int h, int m, int s, int ms) {
    return {QDate(2024, 3, 15), QTime(h, m, s, ms)};
}
} // namespace

class SecondBeatTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aimsJustPastTheNextSecond() {
        QCOMPARE(SecondBeat::msUntilNextSecond(1'700'000'000'000), 1000);
        QCOMPARE(SecondBeat::msUntilNextSecond(1'700'000'000'001), 999);
        QCOMPARE(SecondBeat::msUntilNextSecond(1'700'000'000'999), 1);
        QCOMPARE(SecondBeat::msUntilNextSecond(-1), 1); // before 1970 still lands on a second
    }

    // A wake a little before the boundary waits for it instead of ticking.
    void earlyWakeWaits() {
        FakeClock clock(at(10, 0, 0, 990));
        SecondBeat beat(clock);
        int ticks = 0;
        beat.subscribe([&] { ++ticks; });
        beat.wake();
        QCOMPARE(ticks, 0);
        QVERIFY(beat.isArmed());
        QVERIFY(beat.msUntilWake() <= 10);
        clock.set(at(10, 0, 1, 2));
        beat.wake();
        QCOMPARE(ticks, 1);
        QVERIFY(beat.msUntilWake() > 990);
    }

    // The next boundary is armed before the handlers run, so a handler that
    // waits in a modal box does not stop the beat.
    void rearmsBeforeRunningHandlers() {
        FakeClock clock(at(10, 0, 0, 3));
        SecondBeat beat(clock);
        bool armedDuringHandler = false;
        beat.subscribe([&] { armedDuringHandler = beat.isArmed(); });
        beat.wake();
        QVERIFY(armedDuringHandler);
    }

    // Clock steps are taken from the clock at every wake: a step back by an hour
    // aims at the next second of the new time, not an hour away.
    void followsClockSteps() {
        FakeClock clock(at(10, 0, 0, 2));
        SecondBeat beat(clock);
        int ticks = 0;
        beat.subscribe([&] { ++ticks; });
        beat.wake();
        clock.set(at(9, 0, 0, 300));
        beat.wake();
        QCOMPARE(ticks, 2);
        QVERIFY(beat.msUntilWake() <= 700);
        clock.set(at(11, 30, 0, 999));
        beat.wake();
        QCOMPARE(ticks, 2);
        QVERIFY(beat.msUntilWake() <= 1);
    }

    // Subscribers run in the order they came, and may leave while it runs.
    void orderAndLeaving() {
        FakeClock clock;
        SecondBeat beat(clock);
        QStringList order;
        int second = 0;
        beat.subscribe([&] {
            order << QStringLiteral("first");
            beat.unsubscribe(second);
        });
        second = beat.subscribe([&] { order << QStringLiteral("second"); });
        beat.subscribe([&] { order << QStringLiteral("third"); });
        beat.deliver();
        beat.deliver();
        QCOMPARE(order, (QStringList{QStringLiteral("first"), QStringLiteral("third"),
                                     QStringLiteral("first"), QStringLiteral("third")}));
    }

    // Input wakes the beat once, right after it is handled.
    void inputPokesOnce() {
        FakeClock clock(at(10, 0, 0, 500));
        SecondBeat beat(clock);
        int ticks = 0;
        QString seen;
        QLineEdit edit;
        beat.subscribe([&] {
            ++ticks;
            seen = edit.text();
        });
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        QCoreApplication::processEvents();
        ticks = 0;
        QTest::keyClicks(&edit, QStringLiteral("abc"));
        QTRY_VERIFY(ticks > 0);
        QCOMPARE(seen, QStringLiteral("abc"));
        const int afterTyping = ticks;
        QVERIFY2(afterTyping <= 3, "pokes are coalesced, not one per event");
        beat.poke();
        beat.poke();
        beat.poke();
        QTRY_COMPARE(ticks, afterTyping + 1);
        QCoreApplication::processEvents();
        QCOMPARE(ticks, afterTyping + 1);
    }

    // Timers tick only while enabled and their window shows, in creation order;
    // a long interval runs on a timer of its own, not the beat.
    void intervalTimers() {
        FakeClock clock(at(10, 0, 0, 1));
        SecondBeat beat(clock);
        QWidget window;
        auto* t1 = new platform::IntervalTimer(&window);
        auto* t2 = new platform::IntervalTimer(&window);
        t1->setBeat(&beat);
        t2->setBeat(&beat);
        t1->setInterval(1);
        t2->setInterval(1);
        QStringList order;
        connect(t1, &platform::IntervalTimer::Timer, this, [&] { order << QStringLiteral("t1"); });
        connect(t2, &platform::IntervalTimer::Timer, this, [&] { order << QStringLiteral("t2"); });
        beat.deliver();
        QVERIFY(order.isEmpty()); // the window is not shown yet
        window.show();
        QTRY_COMPARE(order, (QStringList{QStringLiteral("t1"), QStringLiteral("t2")}));
        QVERIFY(!t1->isVisible());
        order.clear();
        t2->setEnabled(false);
        beat.deliver();
        QCOMPARE(order, QStringList{QStringLiteral("t1")});
        order.clear();
        window.hide();
        beat.deliver();
        QVERIFY(order.isEmpty());
        t1->setInterval(5000);
        window.show();
        beat.deliver();
        QVERIFY(order.isEmpty()); // no longer on the beat
    }
};

QTEST_MAIN(SecondBeatTest)
#include "tst_second_beat.moc"
