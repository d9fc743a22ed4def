#include "SingleInstance.h"

namespace app {

bool SingleInstance::handOver(const QString& name) {
    QLocalSocket running;
    // A stranger listening there is told nothing, not even that we started.
    if (!connectToOwn(running, name))
        return false;
    running.write(qgetenv("XDG_ACTIVATION_TOKEN") + '\n');
    running.waitForBytesWritten(2000);
    if (running.state() != QLocalSocket::UnconnectedState) // it may have answered already
        running.waitForDisconnected(2000);
    return true;
}

void SingleInstance::serve() {
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
}

} // namespace app
