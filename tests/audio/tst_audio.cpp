// The player, heard: each play and replay goes to the private sound server's
// null sink, whose monitor the test records. The sound server's tools are
// Unix programs, started through the shell, under Wine too: Wine starts them
// as it would a Windows program but hands them no pipes, so what they record
// comes through a file.
#include "components/ClipPlayer.h"
#include "components/DispatchIds.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

namespace {
QString unixPath(const QString& path) { // Wine's drive Z: is the Unix root
    return QDir::fromNativeSeparators(path).remove(QRegularExpression("^[Zz]:"));
}
} // namespace

class AudioTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_{QDir::current().filePath("audio-XXXXXX")};
    QFile rec_{dir_.filePath("recorded")};
    ClipPlayer player_;

    QString path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }
    // A command's exit status, written to a file: Wine cannot wait for a
    // Unix process either.
    int unix(const QString& command) {
        QFile status(path("status"));
        status.remove();
        QProcess::startDetached(
            "/bin/sh", {"-c", command + "\necho $? >'" + unixPath(status.fileName()) + "'"});
        for (QDeadlineTimer end(30000); status.size() == 0 && !end.hasExpired();)
            QTest::qWait(20);
        return status.open(QIODevice::ReadOnly) ? status.readAll().trimmed().toInt() : -1;
    }
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
        QDir::setCurrent(dir_.path()); // a bare name is found beside the program
        qputenv("XDG_DATA_HOME", dir_.path().toLocal8Bit()); // not the tester's own adhan
        QVERIFY(rec_.open(QIODevice::ReadWrite | QIODevice::Unbuffered));
        unix(QString("timeout 120 parec --client-name=%1 --latency-msec=20 -d adhan_null.monitor "
                     "--format=s16le --rate=44100 --channels=1 >'%2' &")
                 .arg(QFileInfo(dir_.path()).fileName(), unixPath(rec_.fileName())));
        QTRY_VERIFY_WITH_TIMEOUT(rec_.size() > 0, 10000);
        QCOMPARE(
            unix(QString("sox '%1' '%2' trim 3 1.2")
                     .arg(unixPath(ClipPlayer::resolve("athan.mp3")), unixPath(path("short.mp3")))),
            0);
    }
    void cleanupTestCase() {
        unix("pkill -f client-nam[e]=" + QFileInfo(dir_.path()).fileName());
        QVERIFY(
            std::freopen(qPrintable(QProcess::nullDevice()), "w", stderr)); // lets the folder go
    }

    void heardAtEveryPlay() {
        QVERIFY2(listen(500) < 0.01, "the sink is not silent before a play");
        play("athan.mp3");
        QVERIFY(listen(2500) > 0.01);
        // Again while it plays: it starts over, the first play silenced.
        play("athan.mp3");
        QVERIFY(listen(1500) > 0.01);
        QCOMPARE(unix("test $(pactl list short sink-inputs | wc -l) = 1"), 0);
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

    // A clip that cannot be played, or only in part: one complaint, no crash,
    // and one line on stderr that says why.
    void badClips() {
        QVERIFY(std::freopen(qPrintable(path("stderr")), "w", stderr));
        QFile(ClipPlayer::resolve("athan.mp3")).copy(path("cut short"));
        QFile(path("cut short")).resize(20000);
        for (auto [name, bytes, why] : {std::tuple{"missing", "", "no such file"},
                                        {"not audio", "#!/bin/sh\n", "cannot play"},
                                        {"cut short", "", "cut short"}}) {
            QFile f(path(name));
            if (*bytes)
                f.open(QIODevice::WriteOnly), f.write(bytes), f.close();
            QSignalSpy failed(&player_, &ClipPlayer::failed);
            play(path(name));
            QTRY_COMPARE_WITH_TIMEOUT(failed.size(), 1, 5000);
            QVERIFY2(failed[0][0].toString().contains(why), qPrintable(failed[0][0].toString()));
            QFile said(path("stderr"));
            QVERIFY(said.open(QIODevice::ReadOnly));
            QCOMPARE(QString(said.readAll())
                         .count("cannot play " + QDir::toNativeSeparators(f.fileName())),
                     1);
        }
    }
};

QTEST_MAIN(AudioTest)
#include "tst_audio.moc"
