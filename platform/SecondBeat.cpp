#include "SecondBeat.h"

#include "Clock.h"

#include <QCoreApplication>
#include <QEvent>

namespace platform {

SecondBeat::SecondBeat(const Clock& clock, QObject* parent) : QObject(parent), clock_(clock) {
    // A precise timer: the coarse one may fire several milliseconds early.
    boundary_.setTimerType(Qt::PreciseTimer);
    boundary_.setSingleShot(true);
    connect(&boundary_, &QTimer::timeout, this, &SecondBeat::wake);
    poke_.setSingleShot(true);
    poke_.setInterval(0);
    connect(&poke_, &QTimer::timeout, this, &SecondBeat::deliver);
}

SecondBeat& SecondBeat::instance() {
    static auto* const beat = new SecondBeat(SystemClock::instance(), QCoreApplication::instance());
    return *beat;
}

int SecondBeat::msUntilNextSecond(qint64 msecsSinceEpoch) {
    const int intoSecond = static_cast<int>(((msecsSinceEpoch % 1000) + 1000) % 1000);
    return 1000 - intoSecond;
}

int SecondBeat::subscribe(Handler h) {
    const int key = nextKey_++;
    subscribers_.push_back({key, std::move(h)});
    if (!filterInstalled_ && QCoreApplication::instance()) {
        // Input can change what the handlers read: give them a beat right after it.
        QCoreApplication::instance()->installEventFilter(this);
        filterInstalled_ = true;
    }
    if (!boundary_.isActive())
        arm();
    return key;
}

void SecondBeat::unsubscribe(int key) {
    std::erase_if(subscribers_, [key](const Entry& e) { return e.key == key; });
    if (subscribers_.empty()) {
        boundary_.stop();
        poke_.stop();
    }
}

void SecondBeat::poke() {
    if (!subscribers_.empty() && !poke_.isActive())
        poke_.start();
}

void SecondBeat::arm() {
    boundary_.start(msUntilNextSecond(clock_.msecsSinceEpoch()));
}

void SecondBeat::wake() {
    const int left = msUntilNextSecond(clock_.msecsSinceEpoch());
    // Re-arm before running anything: a handler may sit in a modal box for a
    // long time, and the beat must go on meanwhile.
    boundary_.start(left);
    if (left <= kEarlyWindowMs)
        return; // woke just before the boundary: wait for it
    deliver();
}

void SecondBeat::deliver() {
    ++beats_;
    // Copy the keys: a handler may subscribe, unsubscribe or re-enter.
    std::vector<int> keys;
    keys.reserve(subscribers_.size());
    for (const Entry& e : subscribers_)
        keys.push_back(e.key);
    for (int key : keys) {
        for (const Entry& e : subscribers_) {
            if (e.key == key) {
                Handler h = e.handler; // the entry may go away while it runs
                h();
                break;
            }
        }
    }
}

bool SecondBeat::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonRelease:
    case QEvent::InputMethod:
        poke();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace platform
