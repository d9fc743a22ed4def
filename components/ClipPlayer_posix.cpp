#include "ClipPlayer.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>

#ifndef ADHAN_DATA_SUBDIR
#define ADHAN_DATA_SUBDIR "share/adhan-clock"
#endif
#ifndef ADHAN_LIBEXEC_SUBDIR
#define ADHAN_LIBEXEC_SUBDIR "libexec/adhan-clock"
#endif

// The clip plays in a process of its own, the sound process
// (PlayerProcess_posix.cpp), which ends with the clip. Qt Multimedia's
// GStreamer player, once loaded, stays with the process that loaded it: its
// libraries (about 11 MB of them), its device monitors and their threads
// remain after the last player is deleted. Played beside the program, the
// adhan gives all of that back when it ends.
struct ClipPlayer::Output {
    QProcess* process = nullptr;
};

ClipPlayer::ClipPlayer(QWidget* parent) : QWidget(parent), out_(std::make_unique<Output>()) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

namespace {
// The sound process, installed as <prefix>/libexec/adhan-clock/adhan-clock-player.
QString playerProgram() {
    const QDir appDir(QCoreApplication::applicationDirPath());
    return QDir::cleanPath(
        appDir.filePath(QStringLiteral("../" ADHAN_LIBEXEC_SUBDIR "/adhan-clock-player")));
}

// Silences a sound process and waits for it to go.
void stop(QProcess* process, QObject* owner) {
    process->disconnect(owner);
    process->kill();
    process->waitForFinished(1000);
    delete process;
}
} // namespace

ClipPlayer::~ClipPlayer() {
    if (out_->process)
        stop(out_->process, this);
}

bool ClipPlayer::playing() const {
    return out_->process != nullptr;
}

QString ClipPlayer::installedDirectory() {
    // <prefix>/share/adhan-clock beside <prefix>/bin/<program> (the build tree
    // has the same shape).
    const QDir appDir(QCoreApplication::applicationDirPath());
    return QDir::cleanPath(appDir.filePath(QStringLiteral("../" ADHAN_DATA_SUBDIR)));
}

void ClipPlayer::start(const QString& path) {
    // A new process for each play: a play while the clip plays starts it over.
    if (out_->process)
        stop(out_->process, this);
    auto* process = new QProcess(this);
    out_->process = process;
    // What GStreamer and Qt write on stderr stays on ours; stdout says why a
    // clip cannot be played. Its stdin stays open for as long as we run.
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const auto reasons = [this, process] {
        while (process->canReadLine())
            playFailed(QString::fromUtf8(process->readLine()).trimmed());
    };
    connect(process, &QProcess::readyReadStandardOutput, this, reasons);
    connect(process, &QProcess::finished, this,
            [this, process, reasons](int code, QProcess::ExitStatus status) {
                reasons();
                if (status != QProcess::NormalExit || code != 0)
                    playFailed(QStringLiteral("the sound process ended (%1)")
                                   .arg(status == QProcess::NormalExit
                                            ? QStringLiteral("status %1").arg(code)
                                            : QStringLiteral("crashed")));
                out_->process = nullptr;
                process->deleteLater();
            });
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError e) {
        if (e != QProcess::FailedToStart)
            return;
        playFailed(
            QStringLiteral("cannot start %1: %2").arg(playerProgram(), process->errorString()));
        out_->process = nullptr;
        process->deleteLater();
    });
    process->start(playerProgram(), {path});
}
