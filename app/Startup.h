#pragma once

class QApplication;

namespace app {

// Settings of the window system that must be made before the QApplication.
void prepareEnvironment();

// What every run sets up before its first window: the application's name and
// version, right-to-left layout, and the faces behind the fonts the windows
// ask for. Call right after the QApplication is made, before any font is used.
void setUpApplication(QApplication& app);

// Whether a display can be reached. Without one, the program says so and
// ends, instead of aborting inside the window system.
bool displayAvailable();

} // namespace app
