#include "ClipPlayer.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QCoreApplication>
#include <QDir>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QUrl>

#ifndef ADHAN_DATA_SUBDIR
#define ADHAN_DATA_SUBDIR "share/adhan-clock"
#endif

struct ClipPlayer::Output {
    QMediaPlayer* player = nullptr;
};

ClipPlayer::ClipPlayer(QWidget* parent) : QWidget(parent), out_(std::make_unique<Output>()) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

ClipPlayer::~ClipPlayer() = default;

QMediaPlayer* ClipPlayer::mediaPlayer() const {
    return out_->player;
}

QStringList ClipPlayer::dataDirectories() {
    // Installed: <prefix>/bin/<program> and <prefix>/share/adhan-clock; the
    // build tree has the same shape.
    const QDir appDir(QCoreApplication::applicationDirPath());
    return {QDir::cleanPath(appDir.filePath(QStringLiteral("../" ADHAN_DATA_SUBDIR)))};
}

void ClipPlayer::start(const QString& path) {
    // Each play gets a pipeline of its own. Qt's GStreamer player does not
    // start over reliably within one pipeline: after stop() and play() on the
    // same source, the position moves a little and then no sound comes out;
    // after its source is cleared and set again at once, it sometimes reports
    // the end of the stream, or a data stream error, before a sample was
    // played. A new player has none of that history. Nothing is built before
    // the first play, so an idle program carries no audio pipeline.
    QMediaPlayer*& player = out_->player;
    if (player) {
        // Silence the clip still playing, if any. The old player goes once
        // control is back in the event loop: this may run inside one of its
        // own signals.
        player->disconnect(this);
        player->stop();
        player->deleteLater();
    }
    player = new QMediaPlayer(this);
    auto* output = new QAudioOutput(player);
    player->setAudioOutput(output);
    connect(player, &QMediaPlayer::errorOccurred, this,
            [this](QMediaPlayer::Error, const QString& text) {
                // GStreamer follows the first error of a broken stream with
                // "Internal data stream error."; the first one says why.
                playFailed(text);
            });
    if (QMediaDevices::audioOutputs().isEmpty())
        say(QStringLiteral("playing %1, but there is no sound output device").arg(path));
    player->setSource(QUrl::fromLocalFile(path));
    player->play();
}
