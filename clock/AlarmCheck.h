#pragma once

#include <QString>

namespace prayer {

class ClockView;

// Runs at every tick of the alarm timer: each slot whose field holds exactly
// the clock text starts the adhan and shows its message, in slot order.
// Each clock text is checked once, so a second sounds once however many ticks
// it holds; ticks go on while a box is open, and a new clock text is checked
// then too.
class AlarmCheck {
public:
    explicit AlarmCheck(ClockView& view) : view_(view) {}

    void run();

    // The clock text the last check was for (empty before the first).
    QString lastHandled() const { return lastHandled_; }

private:
    ClockView& view_;
    QString lastHandled_;
    bool started_ = false;
};

} // namespace prayer
