#pragma once

#include <array>

namespace prayer {

// What the alarm says for each of the three prayers, in the order it examines
// them: dawn, noon, sunset. Their names and default times are the main
// window's layout data.
inline constexpr std::array<const char16_t*, 3> kMessages{
    u"حان الان موعد صلاة الفجر",
    u"حان الان موعد صلاة الظهر",
    u"حان الان موعد صلاة المغرب",
};

// The clip every alarm plays.
inline constexpr char16_t kClip[] = u"athan.mp3";

} // namespace prayer
