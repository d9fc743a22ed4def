#pragma once

class QWidget;

namespace platform {

// Before `window` is shown: it will come up without taking the keyboard from
// the program the user is busy in. It takes the focus when the user comes to
// it, as any window does.
void showWithoutFocus(QWidget* window);

// Asks for the user's attention to a window of ours that is up but not the
// active one, the platform's way: on Windows its taskbar button flashes until
// the user comes to it; on X11 and Wayland it is marked as demanding
// attention until it is activated.
void askForAttention(QWidget* window);

} // namespace platform
