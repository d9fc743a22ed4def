#pragma once

#include "platform/Clock.h"

#include <QElapsedTimer>

namespace testing {

// A clock the test sets and moves by hand, or lets run from where it stands
// at the real clock's pace.
class FakeClock final : public platform::Clock {
public:
    explicit FakeClock(const QDateTime& start) { set(start); }
    QDateTime now() const override { return QDateTime::fromMSecsSinceEpoch(msecsSinceEpoch()); }
    qint64 msecsSinceEpoch() const override {
        return ms_ + (running_.isValid() ? running_.elapsed() : 0);
    }
    void set(const QDateTime& t) { ms_ = t.toMSecsSinceEpoch(); }
    void advanceMs(qint64 ms) { ms_ += ms; }
    void run() { running_.start(); }

private:
    qint64 ms_ = 0;
    QElapsedTimer running_;
};

} // namespace testing
