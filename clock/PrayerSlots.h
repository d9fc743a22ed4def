#pragma once

#include <QString>

#include <array>

namespace prayer {

// One of the three prayers the program watches.
struct Slot {
    const char16_t* name;        // the name label's text
    const char16_t* defaultTime; // the time field's text at every start
    const char16_t* message;     // what the alarm says
};

// In the order the alarm examines them: dawn, noon, sunset.
inline constexpr std::array<Slot, 3> kSlots{{
    {u"صلاة الفجر", u"05:06:00 ص", u"حان الان موعد صلاة الفجر"},
    {u"صلاة الظهر", u"11:47:00 ص", u"حان الان موعد صلاة الظهر"},
    {u"صلاة المغرب", u"05:18:00 م", u"حان الان موعد صلاة المغرب"},
}};

// The clip every alarm plays.
inline constexpr char16_t kClip[] = u"athan.mp3";

} // namespace prayer
