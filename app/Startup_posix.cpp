#include "Startup.h"

#include <QByteArray>
#include <QtGlobal>

namespace app {

void prepareEnvironment() {
    // The window repaints one small label a second. Drawn through X shared
    // memory, each repaint costs an extra round trip with the server (two more
    // wake-ups a second); through the socket it costs nothing noticeable.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");
}

bool displayAvailable() {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb") && !platform.startsWith("wayland"))
        return true; // offscreen, vnc, ...: Qt needs no display for these
    if (platform.startsWith("wayland"))
        return !qgetenv("WAYLAND_DISPLAY").isEmpty();
    if (platform.startsWith("xcb"))
        return !qgetenv("DISPLAY").isEmpty();
    return !qgetenv("DISPLAY").isEmpty() || !qgetenv("WAYLAND_DISPLAY").isEmpty();
}

} // namespace app
