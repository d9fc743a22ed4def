#pragma once

class QWidget;

namespace platform {

// Finishes what the layout data holds but its format cannot say directly:
// fractional font sizes, kept as a "pointSizeF" property on the control.
void applyLayoutFontSizes(QWidget* root);

// Centres a window on its screen as it is first shown, before it reaches the
// screen. (A Wayland compositor places windows itself and may ignore this.)
void centreOnFirstShow(QWidget* window);

} // namespace platform
