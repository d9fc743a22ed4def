#pragma once

#include <cstdint>

class QWidget;

namespace platform {

// 32-bit window handles that resolve to the right window on every Qt
// platform (native ids differ in size and meaning between xcb, wayland and
// offscreen, so the program keeps its own table).
class WindowHandles {
public:
    // The handle of a window, given at its first request; 0 for none.
    static std::uint32_t handleOf(QWidget* window);
    // The window of a handle, or nullptr when it names none (or it is gone).
    static QWidget* windowOf(std::uint32_t handle);
};

} // namespace platform
