#pragma once

class QWidget;

namespace platform {

// Asks for the user's attention to a window of ours that is up, unless it is
// the one the user is in, the platform's way: on Windows its taskbar button
// flashes until the user comes to it; on X11 and Wayland it is marked as
// demanding attention until it is activated.
void askForAttention(QWidget* window);

} // namespace platform
