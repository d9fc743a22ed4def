#include "ShellTestSupport.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QThread>

#include <xcb/xcb.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <sys/types.h>

namespace testing {

namespace {
const char* const kScript = R"(#!/bin/sh
# Stand-in for xdg-open: logs the call, then runs on like a browser.
line="$$	$#"
for a in "$@"; do line="$line	$a"; done
printf '%s\n' "$line" >>"$ADHAN_FAKE_OPENER_LOG"
i=0
while [ ! -e "$ADHAN_FAKE_OPENER_LOG.release" ] && [ "$i" -lt 200 ]; do
  sleep 0.05
  i=$((i + 1))
done
exit "${ADHAN_FAKE_OPENER_STATUS:-0}"
)";
} // namespace

FakeOpener::FakeOpener() {
    log_ = dir_.filePath(QStringLiteral("calls.log"));
    QFile script(dir_.filePath(QStringLiteral("xdg-open")));
    if (!script.open(QIODevice::WriteOnly) || script.write(kScript) < 0)
        qFatal("cannot write the fake opener in %s", qPrintable(dir_.path()));
    script.close();
    script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

FakeOpener::~FakeOpener() {
    // Let the openers go and see them gone before their folder (and the
    // release mark in it) is removed; they hold the test's output open.
    release();
    QDeadlineTimer deadline(5000);
    for (const Call& c : calls())
        while (processAlive(c.pid) && !deadline.hasExpired())
            QThread::msleep(10);
}

QProcessEnvironment FakeOpener::environment(QProcessEnvironment base) const {
    base.insert(QStringLiteral("PATH"),
                dir_.path() + QLatin1Char(':') + base.value(QStringLiteral("PATH")));
    base.insert(QStringLiteral("ADHAN_FAKE_OPENER_LOG"), log_);
    base.insert(QStringLiteral("ADHAN_FAKE_OPENER_STATUS"), QString::number(status_));
    return base;
}

void FakeOpener::install() {
    const QProcessEnvironment env = environment();
    for (const char* name : {"PATH", "ADHAN_FAKE_OPENER_LOG", "ADHAN_FAKE_OPENER_STATUS"})
        qputenv(name, env.value(QString::fromLatin1(name)).toLocal8Bit());
}

void FakeOpener::setExitStatus(int status) {
    status_ = status;
    qputenv("ADHAN_FAKE_OPENER_STATUS", QByteArray::number(status));
}

QList<FakeOpener::Call> FakeOpener::calls() const {
    QList<Call> out;
    QFile f(log_);
    if (!f.open(QIODevice::ReadOnly))
        return out;
    const QList<QByteArray> lines = f.readAll().split('\n');
    for (const QByteArray& line : lines) {
        if (line.isEmpty())
            continue;
        const QStringList fields = QString::fromUtf8(line).split(QLatin1Char('\t'));
        Call c;
        c.pid = fields.value(0).toLongLong();
        // The argument count the script saw, then the arguments themselves.
        const int argc = fields.value(1).toInt();
        c.args = fields.mid(2);
        if (c.args.size() != argc)
            c.args.append(
                QStringLiteral("<logged %1 arguments of %2>").arg(c.args.size()).arg(argc));
        out.append(c);
    }
    return out;
}

void FakeOpener::release() {
    QFile f(log_ + QStringLiteral(".release"));
    if (f.open(QIODevice::WriteOnly))
        f.close();
}

bool processAlive(qint64 pid) {
    if (pid <= 0 || ::kill(static_cast<pid_t>(pid), 0) != 0)
        return false;
    // An ended process waiting to be reaped is no longer running.
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close < 0 || line.mid(close + 2, 1) != "Z";
}

QByteArray runTool(const QString& program, const QStringList& args, bool* ok) {
    QProcess p;
    p.start(program, args);
    const bool done = p.waitForFinished(10000);
    const bool good = done && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (ok)
        *ok = good;
    else if (!good)
        qWarning("%s %s failed: %s", qPrintable(program), qPrintable(args.join(QLatin1Char(' '))),
                 p.readAllStandardError().constData());
    return p.readAllStandardOutput();
}

QList<XWindow> viewableWindowsOf(const QString& instance) {
    bool ok = false;
    // xdotool's search fails when it finds nothing; that is an empty answer.
    const QByteArray out =
        runTool(QStringLiteral("xdotool"),
                {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                 QStringLiteral("--classname"), QLatin1Char('^') + instance + QLatin1Char('$')},
                &ok);
    QList<XWindow> windows;
    for (const QByteArray& id : out.split('\n')) {
        if (id.trimmed().isEmpty())
            continue;
        const XWindow w = xwindow(id.trimmed().toUInt());
        if (w.viewable)
            windows.append(w);
    }
    return windows;
}

XWindow xwindow(quint32 id) {
    XWindow w;
    w.id = id;
    bool ok = false;
    const QString info = QString::fromUtf8(
        runTool(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(id)}, &ok));
    if (!ok)
        return w;
    const auto number = [&info](const char* label) {
        const QRegularExpression re(QStringLiteral("%1:\\s*(-?\\d+)").arg(QLatin1String(label)));
        return re.match(info).captured(1).toInt();
    };
    w.geometry = QRect(number("Absolute upper-left X"), number("Absolute upper-left Y"),
                       number("Width"), number("Height"));
    w.viewable = info.contains(QLatin1String("Map State: IsViewable"));
    w.name = QString::fromUtf8(runTool(QStringLiteral("xdotool"),
                                       {QStringLiteral("getwindowname"), QString::number(id)}, &ok))
                 .trimmed();
    return w;
}

void moveMouse(QPoint global) {
    // The server takes the test's input in order: no need to wait on each move
    // (and --sync would wait for ever where the pointer already is).
    runTool(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(global.x()),
                                        QString::number(global.y())});
}

void clickAt(QPoint global, int button, int count) {
    runTool(QStringLiteral("xdotool"),
            {QStringLiteral("mousemove"), QString::number(global.x()), QString::number(global.y()),
             QStringLiteral("click"), QStringLiteral("--repeat"), QString::number(count),
             QString::number(button)});
}

void pressKeys(quint32 window, const QString& keys) {
    runTool(QStringLiteral("xdotool"),
            {QStringLiteral("windowfocus"), QStringLiteral("--sync"), QString::number(window)});
    runTool(QStringLiteral("xdotool"), {QStringLiteral("key"), keys});
}

void requestClose(quint32 window) {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        qFatal("cannot reach the X display to close window %u", window);
    }
    const auto atom = [c](const char* name) {
        xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(
            c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(r);
        return a;
    };
    xcb_client_message_event_t ev;
    std::memset(&ev, 0, sizeof ev);
    ev.response_type = XCB_CLIENT_MESSAGE;
    ev.format = 32;
    ev.window = window;
    ev.type = atom("WM_PROTOCOLS");
    ev.data.data32[0] = atom("WM_DELETE_WINDOW");
    ev.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(c, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&ev));
    // A round trip, so the message is through before the connection goes.
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    xcb_disconnect(c);
}

} // namespace testing
