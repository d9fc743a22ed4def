// The player, heard: each play and replay goes to the private sound server's
// null sink, whose monitor the test records.
#include "components/ClipPlayer.h"
#include "components/DispatchIds.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

class AudioTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QProcess rec_;
    ClipPlayer player_;

    QString path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }
    // The RMS of the next `ms` recorded, full scale 1.0. The program's events
    // go on meanwhile, as they do while it plays a clip.
    double listen(int ms) {
        rec_.readAll();
        QByteArray raw;
        for (QDeadlineTimer end(ms + 5000);
             raw.size() < 44100 * 2 * ms / 1000 && !end.hasExpired();)
            QTest::qWait(10), raw += rec_.readAll();
        double sum = 0;
        const auto* s = reinterpret_cast<const qint16*>(raw.constData());
        for (qsizetype i = 0; i < raw.size() / 2; ++i)
            sum += double(s[i]) * s[i];
        return raw.isEmpty() ? -1 : std::sqrt(sum / double(raw.size() / 2)) / 32768;
    }
    void play(const QString& clip) {
        platform::putProperty(player_, dispid::kPlayerSource, clip);
        platform::callMethod(player_, dispid::kPlayerPlay);
    }

private slots:
    void initTestCase() {
        QVERIFY2(qEnvironmentVariableIsSet("PULSE_SERVER"), "run under scripts/test.sh");
        QDir::setCurrent(dir_.path()); // a bare name is found beside the program
        qputenv("XDG_DATA_HOME", dir_.path().toLocal8Bit()); // not the tester's own adhan
        rec_.start("parec", {"--latency-msec=20", "-d", "adhan_null.monitor", "--format=s16le",
                             "--rate=44100", "--channels=1"});
        QVERIFY(rec_.waitForStarted() && rec_.waitForReadyRead(10000));
        QCOMPARE(QProcess::execute("sox", {ClipPlayer::resolve("athan.mp3"), path("short.mp3"),
                                           "trim", "3", "1.2"}),
                 0);
    }
    void cleanupTestCase() { rec_.kill(), rec_.waitForFinished(); }

    void heardAtEveryPlay() {
        QVERIFY2(listen(500) < 0.01, "the sink is not silent before a play");
        play("athan.mp3");
        QVERIFY(listen(2500) > 0.01);
        // Again while it plays: it starts over, the first play silenced.
        play("athan.mp3");
        QVERIFY(listen(1500) > 0.01);
        QProcess streams;
        streams.start("pactl", {"list", "short", "sink-inputs"});
        QVERIFY(streams.waitForFinished() && streams.readAll().count('\n') == 1);
        // After the end, again and again.
        for (int i = 0; i < 3; ++i) {
            play(path("short.mp3"));
            QTRY_VERIFY_WITH_TIMEOUT(!player_.playing(), 5000);
            // What the sink still holds of it plays out first.
            QTRY_VERIFY2_WITH_TIMEOUT(listen(300) < 0.01, "the clip did not end", 3000);
            play(path("short.mp3"));
            QVERIFY2(listen(700) > 0.01, "a replay after the end is silent");
        }
    }

    // A clip that cannot be played, or only in part: one complaint, no crash.
    void badClips() {
        QFile(ClipPlayer::resolve("athan.mp3")).copy(path("cut short"));
        QFile(path("cut short")).resize(20000);
        for (auto [name, bytes, why] : {std::tuple{"missing", "", "no such file"},
                                        {"empty", "", "cannot play"},
                                        {"not audio", "#!/bin/sh\n", "cannot play"},
                                        {"cut short", "", "cut short"}}) {
            QFile f(path(name));
            if (*bytes || name == std::string_view("empty"))
                f.open(QIODevice::WriteOnly), f.write(bytes), f.close();
            QSignalSpy failed(&player_, &ClipPlayer::failed);
            play(path(name));
            QTRY_COMPARE_WITH_TIMEOUT(failed.size(), 1, 5000);
            QVERIFY2(failed[0][0].toString().contains(why), qPrintable(failed[0][0].toString()));
        }
    }
};

QTEST_MAIN(AudioTest)
#include "tst_audio.moc"
