#pragma once

#include <cstdint>

// The dispatch ids the components answer to. Fixed by the layout's
// components; every caller uses these names.
namespace dispid {

// Skin: apply to a window (method; one 32-bit window handle).
constexpr std::int32_t kSkinApply = 0x60020006;
// Skin label: its text, the default property (get and put).
constexpr std::int32_t kLabelText = 0;
// Media player: the clip source (property put; one string).
constexpr std::int32_t kPlayerSource = 102;
// Media player: play (method; no arguments).
constexpr std::int32_t kPlayerPlay = 257;

} // namespace dispid
