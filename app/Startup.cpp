#include "Startup.h"

#include "platform/AppTitle.h"

#include <QApplication>
#include <QFont>
#include <QIcon>

namespace app {

void prepareEnvironment() {
    // The window repaints one small label a second. Drawn through X shared
    // memory, each repaint costs an extra round trip with the server (two more
    // wake-ups a second); through the socket it costs nothing noticeable.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");
}

void setUpApplication(QApplication& app) {
    QApplication::setApplicationName(platform::applicationTitle());
    QApplication::setApplicationVersion(QStringLiteral("1.00"));
    QApplication::setDesktopFileName(QStringLiteral("com.example.AdhanClock"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/portrait.png")));
    // Menus and message boxes open right-to-left only when the whole
    // application is.
    app.setLayoutDirection(Qt::RightToLeft);

    // The windows name the faces they were drawn with; these are the faces
    // here that look and measure alike.
    QFont::insertSubstitutions(QStringLiteral("Simplified Arabic"),
                               {QStringLiteral("Amiri"), QStringLiteral("Noto Naskh Arabic")});
    QFont::insertSubstitutions(
        QStringLiteral("Times New Roman"),
        {QStringLiteral("Liberation Serif"), QStringLiteral("Noto Naskh Arabic")});
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Noto Sans"), QStringLiteral("Noto Sans Arabic")});
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
