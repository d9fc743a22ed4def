#pragma once

#include <QLocalServer>
#include <QObject>

#include <functional>

namespace app {

// One clock per desktop session. The first start listens on a local socket in
// the user's runtime folder, named for the display; a later start on the same
// display hands its activation token over and ends. A socket left behind by a
// crash answers nobody and is taken over.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // Call after the application object is made. False when another copy runs
    // in this session: it has been asked to come to the front.
    bool claim();

    // What to do when a later start asks for the window (with its activation
    // token, or an empty one).
    void onRaise(std::function<void(const QByteArray& token)> raise) { raise_ = std::move(raise); }

    // The socket's path for this user and display.
    static QString socketPath();

private:
    QLocalServer server_;
    std::function<void(const QByteArray&)> raise_;
};

} // namespace app
