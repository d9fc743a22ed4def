#pragma once

namespace platform {
class Clock;
class RegionalFormat;
} // namespace platform

namespace prayer {

class ClockView;

// Runs at every tick of the refresh timer: the fields follow the editing
// switch, the clock label shows the time and the date label the date, in the
// user's regional forms.
void refreshTick(ClockView& view, const platform::Clock& clock,
                 const platform::RegionalFormat& format);

} // namespace prayer
