#include "SingleInstance.h"

#include <QDir>
#include <QGuiApplication>
#include <QLocalSocket>

#include <unistd.h>

namespace app {

QString SingleInstance::socketPath() {
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
    const QString path = socketPath();
    // No socket options: with them Qt binds elsewhere and renames the socket
    // over the path, taking it from a copy already running. The runtime folder
    // is the user's alone.
    for (int attempt = 0; attempt < 2 && !server_.listen(path); ++attempt) {
        if (server_.serverError() != QAbstractSocket::AddressInUseError)
            break; // without the socket the clock still runs
        QLocalSocket running;
        running.connectToServer(path);
        if (running.waitForConnected(2000)) {
            running.write(qgetenv("XDG_ACTIVATION_TOKEN") + '\n');
            running.waitForBytesWritten(2000);
            running.waitForDisconnected(2000);
            return false;
        }
        QLocalServer::removeServer(path);
    }
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* peer = server_.nextPendingConnection()) {
            connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
            connect(peer, &QLocalSocket::readyRead, this, [this, peer] {
                if (!peer->canReadLine())
                    return;
                const QByteArray token = peer->readLine().trimmed();
                peer->disconnectFromServer();
                if (raise_)
                    raise_(token);
            });
        }
    });
    return true;
}

} // namespace app
