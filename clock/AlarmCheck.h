#pragma once

#include <QString>

namespace prayer {

class ClockView;

// Runs at every tick of the alarm timer: each slot whose field holds exactly
// the clock text starts the adhan and shows its message.
//
// Each clock text is handled once: the timer ticks many times within a second,
// and ticks go on while a message box is open, so without this one second
// would start the adhan again and stack another box on every tick. A check
// compares every slot with the clock text it began with, so two slots holding
// the same time both fire, in slot order, however long the first box stays
// open. A new clock text is checked even while an earlier box is still open.
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
