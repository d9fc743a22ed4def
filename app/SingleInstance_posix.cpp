#include "SingleInstance.h"

#include <QDir>
#include <QGuiApplication>
#include <QStandardPaths>

#include <sys/socket.h>
#include <unistd.h>

namespace app {

QString SingleInstance::serverName() {
    // The user's runtime folder: XDG_RUNTIME_DIR, else one Qt makes in the
    // temporary folder (runtime-<user>). Qt answers only with a folder that
    // is this user's and closed to everyone else; a shared folder such as
    // /tmp would let any local user listen there first.
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        return {};
    const QString platform = QGuiApplication::platformName();
    QString display = platform == u"wayland"
                          ? qEnvironmentVariable("WAYLAND_DISPLAY", QStringLiteral("wayland-0"))
                          : qEnvironmentVariable("DISPLAY");
    display.replace(u'/', u'_');
    return QDir(dir).filePath(QStringLiteral("adhan-clock-%1-%2").arg(platform, display));
}

bool SingleInstance::connectToOwn(QLocalSocket& socket, const QString& name) {
    socket.connectToServer(name);
    if (!socket.waitForConnected(2000))
        return false;
    // The kernel's word on who made the server listen.
    ucred peer{};
    socklen_t size = sizeof peer;
    return getsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
           peer.uid == geteuid();
}

bool SingleInstance::claim() {
    const QString path = serverName();
    if (path.isEmpty())
        return true; // nowhere safe to meet another copy: this one runs on its own
    // No socket options: with them Qt binds elsewhere and renames the socket
    // over the path, taking it from a copy already running. The runtime folder
    // is the user's alone.
    for (int attempt = 0; attempt < 2 && !server_.listen(path); ++attempt) {
        if (server_.serverError() != QAbstractSocket::AddressInUseError)
            break; // without the socket the clock still runs
        if (handOver(path))
            return false;
        // Left behind by a crash, or a stranger's: ours now.
        QLocalServer::removeServer(path);
    }
    serve();
    return true;
}

} // namespace app
