#include "ClipPlayer.h"

#include "DispatchIds.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QPointer>
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

void ClipPlayer::freshPlayer() {
    // Each play gets a pipeline of its own. Qt's GStreamer player does not
    // start over reliably within one pipeline: after stop() and play() on the
    // same source, the position moves a little and then no sound comes out;
    // after its source is cleared and set again at once, it sometimes reports
    // the end of the stream, or a data stream error, before a sample was
    // played. A new player has none of that history. Nothing is built before
    // the first play, so an idle program carries no audio pipeline.
    if (player_) {
        // Silence the clip still playing, if any. The old player goes once
        // control is back in the event loop: this may run inside one of its
        // own signals.
        player_->disconnect(this);
        player_->stop();
        player_->deleteLater();
    }
    player_ = new QMediaPlayer(this);
    auto* output = new QAudioOutput(player_);
    player_->setAudioOutput(output);
    // Qt's GStreamer player also, now and then, ends a new pipeline at once:
    // two flushing seeks it makes while the stream is still prerolling leave
    // one buffer and the end of the stream, and the end comes at position 0
    // with nothing heard. Such a clip starts over on a pipeline of its own, a
    // few times at most.
    connect(player_, &QMediaPlayer::mediaStatusChanged, this,
            [this, player = player_](QMediaPlayer::MediaStatus status) {
                if (status != QMediaPlayer::EndOfMedia || player->position() > 0 || complained_)
                    return;
                if (restarts_ == kRestarts) {
                    complained_ = true;
                    complain(QStringLiteral("cannot play %1: it ended before it began, %2 times")
                                 .arg(current_)
                                 .arg(kRestarts + 1));
                    return;
                }
                ++restarts_;
                // Not from inside the player's own signal, and only while no
                // other play has replaced it.
                const auto again = [this, ended = QPointer<QMediaPlayer>(player)] {
                    if (ended && ended == player_)
                        start();
                };
                QMetaObject::invokeMethod(this, again, Qt::QueuedConnection);
            });
    connect(player_, &QMediaPlayer::errorOccurred, this,
            [this](QMediaPlayer::Error, const QString& text) {
                // GStreamer follows the first error of a broken stream with
                // "Internal data stream error."; the first one says why.
                if (complained_)
                    return;
                complained_ = true;
                complain(QStringLiteral("cannot play %1: %2").arg(current_, text));
            });
}

namespace {
// How many bytes an MP3 file says its stream takes, from the "Xing"/"Info"
// header LAME writes into the first frame, or 0 when it does not say.
qint64 announcedMp3Bytes(QFile& file) {
    QByteArray head = file.read(10);
    qint64 start = 0;
    if (head.size() == 10 && head.startsWith("ID3")) {
        // ID3v2 tag: a 10-byte header and a size in 7-bit bytes.
        const auto b = [&head](int i) { return qint64(quint8(head.at(i))); };
        start = 10 + (b(6) << 21 | b(7) << 14 | b(8) << 7 | b(9));
        if (head.at(5) & 0x10)
            start += 10; // footer
    }
    if (!file.seek(start))
        return 0;
    const QByteArray frame = file.read(64);
    if (frame.size() < 4)
        return 0;
    const auto u = [&frame](int i) { return quint32(quint8(frame.at(i))); };
    if (u(0) != 0xFF || (u(1) & 0xE0) != 0xE0)
        return 0;
    const quint32 version = (u(1) >> 3) & 3; // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
    const quint32 layer = (u(1) >> 1) & 3;   // 1: Layer III
    if (version == 1 || layer != 1)
        return 0;
    const bool mono = ((u(3) >> 6) & 3) == 3;
    // The header sits after the frame header (4 bytes) and the side information.
    const int at = version == 3 ? (mono ? 21 : 36) : (mono ? 13 : 21);
    if (frame.size() < at + 16)
        return 0;
    const QByteArray tag = frame.mid(at, 4);
    if (tag != "Xing" && tag != "Info")
        return 0;
    const auto be32 = [&u](int i) {
        return u(i) << 24 | u(i + 1) << 16 | u(i + 2) << 8 | u(i + 3);
    };
    const quint32 flags = be32(at + 4);
    if (!(flags & 2))
        return 0;
    return be32(at + 4 + ((flags & 1) ? 8 : 4));
}
} // namespace

QString ClipPlayer::cutShort(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const qint64 announced = announcedMp3Bytes(file);
    if (announced > file.size())
        return QStringLiteral("the file is cut short (%1 of the %2 bytes its header announces)")
            .arg(file.size())
            .arg(announced);
    return {};
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
    current_ = path;
    complained_ = false;
    restarts_ = 0;
    // A clip cut short plays what there is of it, but ends early: say so.
    const QString shortBy = cutShort(path);
    if (!shortBy.isEmpty()) {
        complained_ = true;
        complain(QStringLiteral("cannot play %1 in full: %2").arg(path, shortBy));
    }
    if (QMediaDevices::audioOutputs().isEmpty())
        say(QStringLiteral("playing %1, but there is no sound output device").arg(path));
    start();
    emit started(path);
}

void ClipPlayer::start() {
    freshPlayer();
    player_->setSource(QUrl::fromLocalFile(current_));
    player_->play();
}
