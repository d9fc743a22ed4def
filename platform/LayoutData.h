#pragma once

class QWidget;

namespace platform {

// Finishes what the layout data holds but its format cannot say directly:
// fractional font sizes, kept as a "pointSizeF" property on the control.
void applyLayoutFontSizes(QWidget* root);

} // namespace platform
