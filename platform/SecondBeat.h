#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <vector>

namespace platform {

class Clock;

// The heartbeat behind the program's short-interval timers. A handler polled
// every millisecond only ever sees the clock pass a second or the user's
// input, so the beat wakes just past each wall-clock second and right after
// input, re-aimed from the clock's own reading at every wake.
class SecondBeat : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void()>;

    explicit SecondBeat(const Clock& clock, QObject* parent = nullptr);

    // The beat the program's timers use (on the system clock).
    static SecondBeat& instance();

    // Subscribers run in subscription order at every beat. The owner keeps
    // the handler alive until unsubscribe(); the returned key names it.
    int subscribe(Handler h);
    void unsubscribe(int key);

    // Ask for a beat as soon as the event loop is free (coalesced).
    void poke();

    // Run the subscribers now, as a beat would.
    void deliver();

    // What happens when the boundary timer fires: re-aim at the next
    // boundary, then deliver unless it woke a little early.
    void wake();
    // Whether the boundary timer is armed, and in how many milliseconds it fires.
    bool isArmed() const { return boundary_.isActive(); }
    int msUntilWake() const { return boundary_.remainingTime(); }

    // How many beats ran, for checks and benchmarks.
    quint64 beats() const { return beats_; }

    // Milliseconds from the clock's reading to just past the next second
    // boundary; when the reading is this close to a boundary the timer is
    // taken to have fired a little early.
    static int msUntilNextSecond(qint64 msecsSinceEpoch);
    static constexpr int kEarlyWindowMs = 50;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void arm();

    const Clock& clock_;
    QTimer boundary_;
    QTimer poke_;
    struct Entry {
        int key;
        Handler handler;
    };
    std::vector<Entry> subscribers_;
    int nextKey_ = 1;
    quint64 beats_ = 0;
    bool filterInstalled_ = false;
};

} // namespace platform
