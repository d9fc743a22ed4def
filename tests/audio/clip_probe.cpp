// Plays one clip through the real ClipPlayer, the way the alarm does, and
// reports what happened on stdout, one word a line:
//   dispatched            both calls (put source, play) returned
//   dispatch-error <n>    a call reported a run-time error (exit status 3)
//   failed                the player gave up on the clip
//   end <state> <status> <position-ms> <duration-ms>   when the probe stops
// The player's own complaints go to stderr as they would in the program.
//
//   adhan_clip_probe <clip> <max-ms>
// Stops shortly after a failure, or after <max-ms>.
#include "components/ClipPlayer.h"
#include "components/DispatchIds.h"
#include "platform/Dispatch.h"
#include "platform/RuntimeError.h"

#include <QApplication>
#include <QMediaPlayer>
#include <QTimer>

#include <cstdio>

namespace {
void report(const QString& line) {
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: adhan_clip_probe <clip> <max-ms>\n");
        return 2;
    }
    const QString clip = args.at(1);
    const int maxMs = args.at(2).toInt();

    ClipPlayer player;
    QObject::connect(&player, &ClipPlayer::failed, &app, [&app] {
        report(QStringLiteral("failed"));
        // Stay a moment longer so a second complaint about the same clip
        // would show up too.
        QTimer::singleShot(500, &app, &QCoreApplication::quit);
    });
    QTimer::singleShot(maxMs, &app, &QCoreApplication::quit);

    try {
        platform::putProperty(player, dispid::kPlayerSource, clip);
        platform::callMethod(player, dispid::kPlayerPlay);
    } catch (const platform::RuntimeError& e) {
        report(QStringLiteral("dispatch-error %1").arg(e.number()));
        return 3;
    }
    report(QStringLiteral("dispatched"));

    const int rc = app.exec();
    if (QMediaPlayer* mp = player.mediaPlayer())
        report(QStringLiteral("end %1 %2 %3 %4")
                   .arg(int(mp->playbackState()))
                   .arg(int(mp->mediaStatus()))
                   .arg(mp->position())
                   .arg(mp->duration()));
    else
        report(QStringLiteral("end none"));
    return rc;
}
