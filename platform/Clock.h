#pragma once

#include <QDateTime>

namespace platform {

// Where the program reads the local date and time. The real clock in the
// program; a clock the tests move by hand in the tests.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock final : public Clock {
  public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
    static SystemClock& instance();
};

} // namespace platform
