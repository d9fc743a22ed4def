#pragma once

// The real main window on a clock the test moves, its timers driven by a beat
// on that clock whose wakes come the way the platform timer delivers them.

#include "platform/SecondBeat.h"
#include "tests/support/TestSupport.h"
#include "windows/main/Form1.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <memory>

namespace holding {

// The clock text and date text the window should show at `t`, written out
// here on their own: Arabic 12-hour time with its designator, and dd/MM/yyyy.
QString expectedClockText(const QDateTime& t);
QString expectedDateText(const QDateTime& t);

class WindowDriver {
public:
    // A shown main window whose clock reads `start`.
    explicit WindowDriver(const QDateTime& start);
    ~WindowDriver();

    testing::FakeClock& clock() { return clock_; }
    platform::SecondBeat& beat() { return beat_; }
    Form1& window() { return *window_; }
    const Ui::Form1& controls() const { return window_->controls(); }

    // One wake of the beat's timer: the clock moves on by what the beat asked
    // for at its last wake (and by any step made since), plus the timer's
    // latency, and the beat wakes as the timer would make it. Every
    // `earlyEvery`-th wake first comes a little before the second (as a
    // coarse timer may), which must deliver nothing.
    void wake();
    // Wakes until the clock reads `end` or later, running the event loop
    // after every `eventsEvery` wakes. `afterWake` runs after every wake.
    template <typename F> void runUntil(const QDateTime& end, F&& afterWake) {
        while (clock_.now() < end) {
            wake();
            afterWake();
            if (++sinceEvents_ >= eventsEvery) {
                sinceEvents_ = 0;
                processEvents();
            }
        }
    }
    void runUntil(const QDateTime& end) {
        runUntil(end, [] {});
    }

    // The wall clock is set `ms` forward (or back) while the timer waits; a
    // suspend is the same for the wall clock, since the timer's clock does
    // not run while the machine sleeps.
    void stepClock(qint64 ms) { pendingStepMs_ += ms; }

    // Types `text` into the slot's field as a user does: tick the switch,
    // wait for the field to open, select all, type, clear the switch. Returns
    // what went wrong, or an empty string.
    QString typeIntoField(int slot, const QString& text);
    // The same, pasting `text` from the clipboard with Ctrl+V.
    QString pasteIntoField(int slot, const QString& text);

    QLineEdit* field(int slot) const;

    // A key pressed in the window between two seconds: the beat delivers again
    // at once, at the same clock reading. Returns whether it did.
    bool input();

    // Runs the event loop for a moment, as between two seconds.
    static void processEvents();

    // How many wakes, and how many of them came early.
    qint64 wakes() const { return wakes_; }
    qint64 earlyWakes() const { return earlyWakes_; }

    int earlyEvery = 97;
    int eventsEvery = 60;
    int latencyMs = 2;

    // What went wrong at a wake (the beat not re-armed, an early wake that
    // delivered); the first few only.
    QStringList problems;

private:
    QString openField(QLineEdit* f);
    QString closeField(QLineEdit* f);

    testing::FakeClock clock_;
    platform::SecondBeat beat_;
    std::unique_ptr<Form1> window_;
    qint64 armedMs_ = 0;
    qint64 pendingStepMs_ = 0;
    qint64 wakes_ = 0;
    qint64 earlyWakes_ = 0;
    int sinceEvents_ = 0;
};

} // namespace holding
