#include "ClipPlayer.h"

#include "DispatchIds.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdio>

using platform::CallKind;
using platform::DispatchError;
using platform::DispatchResult;

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
    // The user's own clip comes first: adhan-clock/ in the user's data folder,
    // then in those of every user of the machine; then the folder the program
    // was started from (a copy run from elsewhere); the installed clip last,
    // whatever the start folder (a shortcut starts the program in its own
    // folder). On Linux: XDG_DATA_HOME (else ~/.local/share), then
    // XDG_DATA_DIRS (else /usr/local/share, /usr/share). On Windows: the
    // user's AppData\Local, then ProgramData, which no upgrade or uninstall
    // of the program touches.
    const QString installed = installedDirectory();
    const QString programDir = QCoreApplication::applicationDirPath();
    QStringList dirs;
    for (const QString& dir :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        // Qt counts the program's own folder among the machine's on Windows.
        const QString clean = QDir::cleanPath(dir);
        if (clean != programDir && !clean.startsWith(programDir + u'/'))
            dirs += QDir(clean).filePath(QStringLiteral("adhan-clock"));
    }
    dirs.removeAll(installed);
    dirs += QDir::currentPath();
    dirs += installed;
    dirs.removeDuplicates();
    return dirs;
}

QString ClipPlayer::resolve(const QString& clip) {
    if (clip.isEmpty())
        return {};
    const QFileInfo direct(clip);
    if (direct.isAbsolute())
        return direct.exists() ? direct.absoluteFilePath() : QString();
    for (const QString& dir : dataDirectories()) {
        const QFileInfo f(QDir(dir).filePath(clip));
        if (f.exists())
            return f.absoluteFilePath();
    }
    return {};
}

void ClipPlayer::say(const QString& what) {
    const QString line = QStringLiteral("%1: %2").arg(QCoreApplication::applicationName(), what);
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

void ClipPlayer::complain(const QString& what) {
    say(what);
    emit failed(what);
}

void ClipPlayer::playFailed(const QString& why) {
    if (complained_)
        return;
    complained_ = true;
    complain(QStringLiteral("cannot play %1: %2").arg(QDir::toNativeSeparators(current_), why));
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
    // Paths said as the user's system writes them (backslashes on Windows).
    const auto native = [](const QString& p) { return QDir::toNativeSeparators(p); };
    const QString path = resolve(source_);
    if (path.isEmpty()) {
        complain(QStringLiteral("cannot play %1: no such file (looked in %2)")
                     .arg(native(source_), native(dataDirectories().join(QStringLiteral(", ")))));
        return;
    }
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable()) {
        complain(QStringLiteral("cannot play %1: the file cannot be read").arg(native(path)));
        return;
    }
    current_ = path;
    complained_ = false;
    // A clip cut short plays what there is of it, but ends early: say so.
    const QString shortBy = cutShort(path);
    if (!shortBy.isEmpty()) {
        complained_ = true;
        complain(QStringLiteral("cannot play %1 in full: %2").arg(native(path), shortBy));
    }
    start(path);
    emit started(path);
}
