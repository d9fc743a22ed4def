// The program losing its display: it runs on an X server of its own, the
// server goes away, and the program must end by itself with an exit status,
// not by a signal (no abort, no core dump).
//
// What happens: the window system's connection reports the break, Qt's xcb
// platform says "The X11 connection broke (error 1). Did the X11 server
// die?" on stderr and ends the process with exit status 1.

#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <csignal>
#include <memory>

namespace {

// A private X server, gone when this object is.
class PrivateXServer {
public:
    PrivateXServer() {
        // -displayfd 1: the server picks a free display and writes its number
        // on stdout once it accepts connections.
        server_.start(QStringLiteral("Xvfb"),
                      {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                       QStringLiteral("0"), QStringLiteral("800x600x24"),
                       QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        if (!server_.waitForStarted(10000))
            return;
        QByteArray out;
        while (!out.contains('\n') && server_.waitForReadyRead(10000))
            out += server_.readAllStandardOutput();
        bool ok = false;
        const int n = out.trimmed().toInt(&ok);
        if (ok)
            display_ = QStringLiteral(":%1").arg(n);
    }
    ~PrivateXServer() {
        if (server_.state() != QProcess::NotRunning) {
            server_.kill();
            server_.waitForFinished(10000);
        }
    }
    QString display() const { return display_; }
    QProcess& process() { return server_; }

private:
    QProcess server_;
    QString display_;
};

// Whether the window titled `title` is mapped on `display`.
bool windowShown(const QString& display, const QString& title) {
    QProcess info;
    info.start(QStringLiteral("xwininfo"),
               {QStringLiteral("-display"), display, QStringLiteral("-name"), title});
    if (!info.waitForFinished(10000))
        return false;
    return info.exitCode() == 0 && info.readAllStandardOutput().contains("Map State: IsViewable");
}

} // namespace

class DisplayLossTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void programEndsWhenTheDisplayGoesAway_data() {
        QTest::addColumn<int>("signal");
        QTest::newRow("server terminated") << int(SIGTERM);
        QTest::newRow("server killed") << int(SIGKILL);
    }
    void programEndsWhenTheDisplayGoesAway() {
        QFETCH(int, signal);
        // On a machine where other X servers come and go, a new server now and
        // then refuses the first client; the program then ends at start with
        // "could not connect to display" before there is anything to lose.
        // Such a start is tried again on a new server.
        std::unique_ptr<PrivateXServer> x;
        std::unique_ptr<QProcess> program;
        QStringList failedStarts;
        for (int attempt = 0; attempt < 3 && !program; ++attempt) {
            x = std::make_unique<PrivateXServer>();
            QVERIFY2(!x->display().isEmpty(), "Xvfb did not start");
            auto p = std::make_unique<QProcess>();
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("DISPLAY"), x->display());
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
            env.remove(QStringLiteral("WAYLAND_DISPLAY"));
            p->setProcessEnvironment(env);
            p->start(QCoreApplication::applicationDirPath() + QStringLiteral("/adhan-clock"), {});
            QVERIFY(p->waitForStarted(10000));
            // The main window is up and its clock running.
            QTRY_VERIFY_WITH_TIMEOUT(p->state() != QProcess::Running ||
                                         windowShown(x->display(), QStringLiteral("نيسمور")),
                                     30000);
            if (p->state() == QProcess::Running) {
                program = std::move(p);
                break;
            }
            const QString err = QString::fromLocal8Bit(p->readAllStandardError());
            failedStarts << QStringLiteral("exit status %1 on %2: %3")
                                .arg(p->exitCode())
                                .arg(x->display(), err);
            QVERIFY2(err.contains(QStringLiteral("could not connect to display")),
                     qPrintable(failedStarts.join(u'\n')));
        }
        QVERIFY2(program, qPrintable(failedStarts.join(u'\n')));

        ::kill(static_cast<pid_t>(x->process().processId()), signal);
        QVERIFY(x->process().waitForFinished(10000));

        QVERIFY2(program->waitForFinished(30000), "the program went on without its display");
        const QString err = QString::fromLocal8Bit(program->readAllStandardError());
        // Ended by itself: not by a signal, so no abort and no core dump.
        QVERIFY2(program->exitStatus() == QProcess::NormalExit, qPrintable(err));
        QCOMPARE(program->exitCode(), 1);
        QVERIFY2(err.contains(QStringLiteral("The X11 connection broke")), qPrintable(err));
        // Nothing else went wrong on the way out (sanitizers would say so here).
        QVERIFY2(!err.contains(QRegularExpression(QStringLiteral("Sanitizer|runtime error:"))),
                 qPrintable(err));
    }
};

QTEST_GUILESS_MAIN(DisplayLossTest)
#include "tst_display_loss.moc"
