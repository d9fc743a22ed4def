#include "ClipPlayer.h"

#include "DispatchIds.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QUrl>

#include <cstdio>

using platform::CallKind;
using platform::DispatchError;
using platform::DispatchResult;

#ifndef ADHAN_DATA_SUBDIR
#define ADHAN_DATA_SUBDIR "share/adhan-clock"
#endif

ClipPlayer::ClipPlayer(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

ClipPlayer::~ClipPlayer() = default;

DispatchResult ClipPlayer::invoke(std::int32_t id, CallKind kind, const QVariantList& args) {
    if (id == dispid::kPlayerSource && kind == CallKind::PropertyPut) {
        if (args.size() != 1)
            return DispatchResult::failure(DispatchError::BadParamCount);
        if (args.front().typeId() != QMetaType::QString)
            return DispatchResult::failure(DispatchError::TypeMismatch);
        source_ = args.front().toString();
        return DispatchResult::success();
    }
    if (id == dispid::kPlayerPlay && kind == CallKind::Method) {
        if (!args.isEmpty())
            return DispatchResult::failure(DispatchError::BadParamCount);
        play();
        return DispatchResult::success();
    }
    return DispatchResult::failure(DispatchError::MemberNotFound);
}

QStringList ClipPlayer::dataDirectories() {
    // Installed: <prefix>/bin/<program> and <prefix>/share/adhan-clock; the
    // build tree has the same shape.
    const QDir appDir(QCoreApplication::applicationDirPath());
    return {QDir::cleanPath(appDir.filePath(QStringLiteral("../" ADHAN_DATA_SUBDIR)))};
}

QString ClipPlayer::resolve(const QString& clip) {
    if (clip.isEmpty())
        return {};
    const QFileInfo direct(clip);
    if (direct.isAbsolute())
        return direct.exists() ? direct.absoluteFilePath() : QString();
    if (direct.exists())
        return direct.absoluteFilePath();
    for (const QString& dir : dataDirectories()) {
        const QFileInfo f(QDir(dir).filePath(clip));
        if (f.exists())
            return f.absoluteFilePath();
    }
    return {};
}

namespace {
void say(const QString& what) {
    const QString line = QStringLiteral("%1: %2").arg(QCoreApplication::applicationName(), what);
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}
} // namespace

void ClipPlayer::complain(const QString& what) {
    say(what);
    emit failed(what);
}

void ClipPlayer::ensurePlayer() {
    if (player_)
        return;
    // Made at the first play, so an idle program carries no audio pipeline.
    player_ = new QMediaPlayer(this);
    output_ = new QAudioOutput(this);
    player_->setAudioOutput(output_);
    connect(player_, &QMediaPlayer::errorOccurred, this,
            [this](QMediaPlayer::Error, const QString& text) {
                complain(QStringLiteral("cannot play %1: %2").arg(current_, text));
            });
}

void ClipPlayer::play() {
    const QString path = resolve(source_);
    if (path.isEmpty()) {
        QStringList places{QDir::currentPath()};
        places += dataDirectories();
        complain(QStringLiteral("cannot play %1: no such file (looked in %2)")
                     .arg(source_, places.join(QStringLiteral(", "))));
        return;
    }
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable()) {
        complain(QStringLiteral("cannot play %1: the file cannot be read").arg(path));
        return;
    }
    ensurePlayer();
    current_ = path;
    if (QMediaDevices::audioOutputs().isEmpty())
        say(QStringLiteral("playing %1, but there is no sound output device").arg(path));
    // Load the source anew each time: playing the same source again after it
    // ended is not reliably audible otherwise.
    player_->stop();
    player_->setSource(QUrl());
    player_->setSource(QUrl::fromLocalFile(path));
    player_->play();
    emit started(path);
}
