#pragma once

#include <QList>
#include <QPoint>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>

namespace testing {

// A stand-in for the desktop's opener: an `xdg-open` script in a folder of
// its own that writes each call (its process id and its arguments) to a log,
// then stays running, as a browser would, until released or for at most ten
// seconds. Put first in PATH, it is what the program starts.
class FakeOpener {
public:
    FakeOpener();
    ~FakeOpener();

    // PATH with the opener's folder first, and where it logs, for this
    // process and every process it starts from now on.
    void install();
    // The same for a child process's environment.
    QProcessEnvironment
    environment(QProcessEnvironment base = QProcessEnvironment::systemEnvironment()) const;

    // The exit status the opener ends with.
    void setExitStatus(int status);

    struct Call {
        qint64 pid = 0;
        QStringList args;
    };
    // The calls logged so far, in the order they were logged.
    QList<Call> calls() const;

    // Lets every opener still running end.
    void release();

    QString folder() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
    QString log_;
    int status_ = 0;
};

// Whether a process is still running.
bool processAlive(qint64 pid);

// Runs a command-line tool to its end (at most 10 s); its standard output.
// A tool that cannot run, or fails, fails the calling test.
QByteArray runTool(const QString& program, const QStringList& args, bool* ok = nullptr);

// What the X server says of a window.
struct XWindow {
    quint32 id = 0;
    QString name;
    QRect geometry; // in root coordinates
    bool viewable = false;
};

// The viewable top-level windows whose class instance is `instance`.
QList<XWindow> viewableWindowsOf(const QString& instance);
XWindow xwindow(quint32 id);

// Moves the mouse pointer to a point of the screen.
void moveMouse(QPoint global);
// Clicks a mouse button at a point of the screen, `count` times in a row.
void clickAt(QPoint global, int button = 1, int count = 1);
// Gives a window the keyboard focus, then presses keys ("ctrl+e", "Return").
void pressKeys(quint32 window, const QString& keys);
// Asks a window to close, as the close button of a window manager does.
void requestClose(quint32 window);

} // namespace testing
