// The sound process: plays one clip through Qt Multimedia and ends with it.
//
//   adhan-clock-player FILE
//
// The program starts one for each play (ClipPlayer_posix.cpp), so that the
// audio pipeline, its threads and the libraries behind it live only while a
// clip sounds. It ends with status 0 once the clip has played to its end.
// When the clip cannot be played it writes why, on one line on stdout, and
// ends with status 1. It also ends when its standard input closes: the
// program that started it has gone, and the adhan goes with it.
#include <QAudioDevice>
#include <QAudioOutput>
#include <QCoreApplication>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QSocketNotifier>
#include <QUrl>

#include <cstdio>
#include <functional>

#include <unistd.h>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: adhan-clock-player FILE\n");
        return 64;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);

    QSocketNotifier parent(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&parent, &QSocketNotifier::activated, &application, [&parent] {
        char buffer[64];
        if (read(STDIN_FILENO, buffer, sizeof buffer) <= 0) {
            parent.setEnabled(false);
            QCoreApplication::exit(0);
        }
    });

    if (QMediaDevices::audioOutputs().isEmpty()) {
        std::fprintf(stderr, "%s: playing %s, but there is no sound output device\n",
                     qPrintable(QCoreApplication::applicationName()), argv[1]);
    }
    // Qt's GStreamer player now and then ends a new pipeline at once: two
    // flushing seeks it makes while the stream is still prerolling leave one
    // buffer and the end of the stream, and the end comes at position 0 with
    // nothing heard. Such a clip starts over on a pipeline of its own, a few
    // times at most.
    constexpr int kRestarts = 3;
    int restarts = 0;
    QMediaPlayer* player = nullptr;
    std::function<void()> start = [&] {
        if (player)
            player->deleteLater();
        player = new QMediaPlayer(&application);
        player->setAudioOutput(new QAudioOutput(player));
        QObject::connect(player, &QMediaPlayer::errorOccurred, &application,
                         [](QMediaPlayer::Error, const QString& text) {
                             // GStreamer follows the first error of a broken
                             // stream with "Internal data stream error."; the
                             // first one says why.
                             std::printf("%s\n", text.simplified().toUtf8().constData());
                             std::fflush(stdout);
                             QCoreApplication::exit(1);
                         });
        QObject::connect(
            player, &QMediaPlayer::mediaStatusChanged, &application,
            [&, current = player](QMediaPlayer::MediaStatus status) {
                if (status != QMediaPlayer::EndOfMedia || current != player)
                    return;
                if (current->position() > 0)
                    QCoreApplication::exit(0);
                else if (restarts++ < kRestarts) // not from inside the player's own signal
                    QMetaObject::invokeMethod(&application, start, Qt::QueuedConnection);
                else {
                    std::printf("it ended before it began, %d times\n", kRestarts + 1);
                    std::fflush(stdout);
                    QCoreApplication::exit(1);
                }
            });
        player->setSource(QUrl::fromLocalFile(path));
        player->play();
    };
    start();
    return QCoreApplication::exec();
}
