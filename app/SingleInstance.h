#pragma once

#include <QLocalServer>
#include <QLocalSocket>
#include <QObject>

#include <functional>

namespace app {

// One clock per desktop session. The first start listens on a local server
// named for the user and the session; a later start in the same session hands
// its activation token over and ends.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // Call after the application object is made. False when another copy runs
    // in this session: it has been asked to come to the front.
    bool claim();

    // What to do when a later start asks for the window (with its activation
    // token, or an empty one).
    void onRaise(std::function<void(const QByteArray& token)> raise) { raise_ = std::move(raise); }

    // The local server's name (a socket path, or a pipe name on Windows) for
    // this user and session; empty when there is no place for it that only
    // this user can reach.
    static QString serverName();

private:
    // Asks the copy listening at `name` to come to the front; false when none
    // answers, or when whoever answers is not this user's.
    static bool handOver(const QString& name);
    // Connects `socket` to the server at `name`; false when none answers, or
    // when the process that answers is not this user's (in this session).
    static bool connectToOwn(QLocalSocket& socket, const QString& name);
    // Answers later starts from now on.
    void serve();

    QLocalServer server_;
    std::function<void(const QByteArray&)> raise_;
};

} // namespace app
