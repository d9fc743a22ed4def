#include "SingleInstance.h"

#include <QDir>
#include <QGuiApplication>

#include <unistd.h>

namespace app {

QString SingleInstance::serverName() {
    const QString platform = QGuiApplication::platformName();
    QString display = platform == u"wayland"
                          ? qEnvironmentVariable("WAYLAND_DISPLAY", QStringLiteral("wayland-0"))
                          : qEnvironmentVariable("DISPLAY");
    display.replace(u'/', u'_');
    QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (dir.isEmpty() || !QDir(dir).exists())
        dir = QDir::tempPath();
    // The user's id keeps two users apart where they share a folder.
    return QDir(dir).filePath(
        QStringLiteral("adhan-clock-%1-%2-%3").arg(getuid()).arg(platform, display));
}

bool SingleInstance::claim() {
    const QString path = serverName();
    // No socket options: with them Qt binds elsewhere and renames the socket
    // over the path, taking it from a copy already running. The runtime folder
    // is the user's alone.
    for (int attempt = 0; attempt < 2 && !server_.listen(path); ++attempt) {
        if (server_.serverError() != QAbstractSocket::AddressInUseError)
            break; // without the socket the clock still runs
        if (handOver(path))
            return false;
        QLocalServer::removeServer(path); // left behind by a crash
    }
    serve();
    return true;
}

} // namespace app
