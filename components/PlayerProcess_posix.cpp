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

    QMediaPlayer player;
    QAudioOutput output;
    player.setAudioOutput(&output);
    QObject::connect(&player, &QMediaPlayer::errorOccurred, &application,
                     [](QMediaPlayer::Error, const QString& text) {
                         // GStreamer follows the first error of a broken stream
                         // with "Internal data stream error."; the first one
                         // says why.
                         std::printf("%s\n", text.simplified().toUtf8().constData());
                         std::fflush(stdout);
                         QCoreApplication::exit(1);
                     });
    QObject::connect(&player, &QMediaPlayer::mediaStatusChanged, &application,
                     [](QMediaPlayer::MediaStatus status) {
                         if (status == QMediaPlayer::EndOfMedia)
                             QCoreApplication::exit(0);
                     });
    if (QMediaDevices::audioOutputs().isEmpty()) {
        std::fprintf(stderr, "%s: playing %s, but there is no sound output device\n",
                     qPrintable(QCoreApplication::applicationName()), argv[1]);
    }
    player.setSource(QUrl::fromLocalFile(path));
    player.play();
    return QCoreApplication::exec();
}
