#pragma once

#include <QDateTime>

namespace platform {

// Where the program reads the local date and time. The real clock in the
// program; a clock the tests move by hand in the tests.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    // The same instant as milliseconds since the epoch (UTC).
    virtual qint64 msecsSinceEpoch() const { return now().toMSecsSinceEpoch(); }
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
    // Needs no time-zone lookup, so the once-a-second wake stays cheap.
    qint64 msecsSinceEpoch() const override { return QDateTime::currentMSecsSinceEpoch(); }
    static SystemClock& instance();
};

} // namespace platform
