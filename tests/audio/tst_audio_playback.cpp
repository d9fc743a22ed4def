// The media player, played for real: the clip goes through Qt Multimedia to
// the private PulseAudio server the test script starts, and the test records
// that server's null sink to hear whether sound came out.
#include "components/ClipPlayer.h"
#include "components/DispatchIds.h"
#include "platform/Dispatch.h"

#include <QAudioDevice>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <memory>

namespace {

// The recording: 16-bit signed mono at 44.1 kHz.
constexpr int kRate = 44100;
constexpr qint64 kBytesPerSecond = kRate * 2;
// Recorded silence measures 0; the clip measures several hundredths.
constexpr double kSilence = 0.01;
// How much of the clip to hear each time: its first four seconds hold its
// first loud phrase.
constexpr qint64 kListenBytes = kBytesPerSecond * 9 / 2;

const QString kClip = QStringLiteral("athan.mp3");
const QString kProbe = QStringLiteral("adhan_clip_probe");

qint64 fileSize(const QString& path) {
    return QFileInfo(path).size();
}

// Root mean square of the samples from byte `from` on, full scale 1.0 (as sox
// reports "RMS amplitude").
double rmsOf(const QString& path, qint64 from, qint64* samples) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    f.seek(from & ~qint64(1));
    const QByteArray raw = f.readAll();
    const qint64 n = raw.size() / 2;
    double sum = 0;
    for (qint64 i = 0; i < n; ++i) {
        const auto lo = quint8(raw.at(2 * i));
        const auto hi = quint8(raw.at(2 * i + 1));
        const double s = qint16(quint16(lo | hi << 8)) / 32768.0;
        sum += s * s;
    }
    *samples = n;
    return n ? std::sqrt(sum / double(n)) : -1;
}

// Milliseconds from byte `from` to the first sample above `level`, or -1.
qint64 firstSoundMs(const QString& path, qint64 from, double level) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    f.seek(from & ~qint64(1));
    const QByteArray raw = f.readAll();
    for (qint64 i = 0; i + 1 < raw.size(); i += 2) {
        const auto s = qint16(quint16(quint8(raw.at(i)) | quint8(raw.at(i + 1)) << 8));
        if (std::abs(s / 32768.0) > level)
            return i / 2 * 1000 / kRate;
    }
    return -1;
}

struct ProbeRun {
    QProcess::ExitStatus status = QProcess::CrashExit;
    int code = -1;
    QStringList out;
    QStringList err;
};

} // namespace

class AudioPlayback : public QObject {
    Q_OBJECT

    QTemporaryDir work_;
    QString dataClip_;
    QString probe_;
    QString recording_;
    std::unique_ptr<QProcess> parec_;

    // Records the null sink's monitor into a new file until stopRecording().
    void startRecording(const QString& name) {
        recording_ = QDir(work_.path()).filePath(name);
        parec_ = std::make_unique<QProcess>();
        parec_->setStandardOutputFile(recording_);
        parec_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        parec_->start(QStringLiteral("parec"),
                      {QStringLiteral("--latency-msec=20"), QStringLiteral("-d"),
                       QStringLiteral("adhan_null.monitor"), QStringLiteral("--format=s16le"),
                       QStringLiteral("--rate=44100"), QStringLiteral("--channels=1")});
        QVERIFY2(parec_->waitForStarted(5000), qPrintable(parec_->errorString()));
        // Play nothing before the recorder is really listening.
        QTRY_VERIFY_WITH_TIMEOUT(fileSize(recording_) > 0, 10000);
    }

    void stopRecording() {
        parec_->terminate();
        QVERIFY(parec_->waitForFinished(5000));
        parec_.reset();
    }

    // Waits until `bytes` more have been recorded after byte `from`.
    void listen(qint64 from, qint64 bytes) {
        QTRY_VERIFY_WITH_TIMEOUT(fileSize(recording_) >= from + bytes, 30000);
    }

    // Stops the recorder; the RMS of what it recorded from byte `from` on.
    double recordedRms(qint64 from, qint64* samples) {
        stopRecording();
        return rmsOf(recording_, from, samples);
    }

    // Plays the clip the way the alarm does: names it, then plays it. Each play
    // has a media player of its own, which this returns.
    static QMediaPlayer* playAsTheAlarmDoes(ClipPlayer& player) {
        platform::putProperty(player, dispid::kPlayerSource, kClip);
        platform::callMethod(player, dispid::kPlayerPlay);
        return player.mediaPlayer();
    }

    ProbeRun runProbe(const QString& dir, const QString& clip, int maxMs,
                      const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
        QProcess p;
        p.setWorkingDirectory(dir);
        p.setProcessEnvironment(env);
        p.start(probe_, {clip, QString::number(maxMs)});
        ProbeRun r;
        if (!p.waitForFinished(maxMs + 30000)) {
            p.kill();
            p.waitForFinished();
            return r;
        }
        r.status = p.exitStatus();
        r.code = p.exitCode();
        r.out = QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        r.err = QString::fromLocal8Bit(p.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts);
        return r;
    }

private slots:
    void initTestCase() {
        QVERIFY2(qEnvironmentVariableIsSet("PULSE_SERVER"),
                 "no private sound server: run through scripts/test.sh, or source "
                 "scripts/test-services.sh and call adhan_start_sound first");
        for (const char* tool : {"parec", "pactl"})
            QVERIFY2(!QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty(), tool);

        QProcess info;
        info.start(QStringLiteral("pactl"), {QStringLiteral("info")});
        QVERIFY(info.waitForFinished(10000));
        QCOMPARE(info.exitCode(), 0);
        QVERIFY2(info.readAllStandardOutput().contains("Default Sink: adhan_null"),
                 "the sound server's default sink is not the test's null sink");
        // Otherwise the player would play into a fake sink and record nothing.
        QVERIFY(!QMediaDevices::audioOutputs().isEmpty());

        // Work where there is no athan.mp3, so the bare name is found only in
        // the data directory next to the program.
        QVERIFY(work_.isValid());
        QVERIFY(QDir::setCurrent(work_.path()));
        QVERIFY(!QFile::exists(kClip));
        dataClip_ = QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                    QStringLiteral("/../share/adhan-clock/") + kClip);
        QVERIFY2(QFile::exists(dataClip_), qPrintable(dataClip_));
        QCOMPARE(ClipPlayer::resolve(kClip), dataClip_);

        probe_ = QDir(QCoreApplication::applicationDirPath()).filePath(kProbe);
        QVERIFY2(QFileInfo(probe_).isExecutable(), qPrintable(probe_));
    }

    // A check that failed half-way leaves no recorder behind.
    void cleanup() {
        if (parec_)
            stopRecording();
    }

    // The check below can fail: with nothing playing, the sink records silence.
    void silenceWhenNothingPlays() {
        startRecording(QStringLiteral("silence.raw"));
        if (QTest::currentTestFailed())
            return;
        const qint64 from = fileSize(recording_);
        listen(from, kBytesPerSecond * 3 / 2);
        if (QTest::currentTestFailed())
            return;
        qint64 n = 0;
        const double rms = recordedRms(from, &n);
        qInfo("nothing playing: RMS %.6f over %lld samples", rms, n);
        QVERIFY(rms >= 0);
        QVERIFY2(rms < kSilence, qPrintable(QString::number(rms)));
    }

    void playsTheClipAloud() {
        startRecording(QStringLiteral("play.raw"));
        if (QTest::currentTestFailed())
            return;
        ClipPlayer player;
        QSignalSpy started(&player, &ClipPlayer::started);
        QSignalSpy failed(&player, &ClipPlayer::failed);

        const qint64 from = fileSize(recording_);
        QElapsedTimer clock;
        clock.start();
        QMediaPlayer* mp = playAsTheAlarmDoes(player);
        const qint64 returnedMs = clock.elapsed();

        QCOMPARE(started.count(), 1);
        QCOMPARE(started.at(0).at(0).toString(), dataClip_);
        QVERIFY(mp);
        qint64 firstPositionMs = -1;
        bool sawPlaying = mp->playbackState() == QMediaPlayer::PlayingState;
        connect(mp, &QMediaPlayer::playbackStateChanged, this, [&](QMediaPlayer::PlaybackState s) {
            sawPlaying = sawPlaying || s == QMediaPlayer::PlayingState;
        });
        connect(mp, &QMediaPlayer::positionChanged, this, [&](qint64 pos) {
            if (pos > 0 && firstPositionMs < 0)
                firstPositionMs = clock.elapsed();
        });
        QTRY_VERIFY_WITH_TIMEOUT(firstPositionMs >= 0, 10000);
        QVERIFY(sawPlaying);

        listen(from, kListenBytes);
        if (QTest::currentTestFailed())
            return;
        const qint64 position = mp->position();
        const QMediaPlayer::PlaybackState state = mp->playbackState();
        const QMediaPlayer::MediaStatus status = mp->mediaStatus();
        qint64 n = 0;
        const double rms = recordedRms(from, &n);
        qInfo("play() returned after %lld ms; first position > 0 after %lld ms; first sound "
              "in the recording about %lld ms after play()",
              returnedMs, firstPositionMs, firstSoundMs(recording_, from, 0.003));
        qInfo("playing: RMS %.6f over %lld samples, position %lld ms", rms, n, position);
        QCOMPARE(failed.count(), 0);
        QCOMPARE(state, QMediaPlayer::PlayingState);
        QVERIFY2(status == QMediaPlayer::BufferedMedia || status == QMediaPlayer::BufferingMedia,
                 qPrintable(QString::number(int(status))));
        // The position follows the sound: about as far as what was recorded.
        QVERIFY2(position >= 3000, qPrintable(QString::number(position)));
        QVERIFY2(rms > kSilence, qPrintable(QString::number(rms)));
    }

    // A second alarm while the first clip plays: the clip starts over and
    // keeps sounding.
    void replaysWhilePlaying() {
        startRecording(QStringLiteral("again.raw"));
        if (QTest::currentTestFailed())
            return;
        ClipPlayer player;
        QSignalSpy failed(&player, &ClipPlayer::failed);
        QMediaPlayer* mp = playAsTheAlarmDoes(player);
        QVERIFY(mp);
        QTRY_VERIFY_WITH_TIMEOUT(mp->position() >= 1000, 10000);

        const qint64 before = mp->position();
        qint64 firstPosition = -1;
        qint64 firstPositionMs = -1;
        QElapsedTimer clock;
        const qint64 from = fileSize(recording_);
        clock.start();
        mp = playAsTheAlarmDoes(player);
        QVERIFY(mp);
        connect(mp, &QMediaPlayer::positionChanged, this, [&](qint64 pos) {
            if (pos > 0 && firstPosition < 0) {
                firstPosition = pos;
                firstPositionMs = clock.elapsed();
            }
        });
        QTRY_VERIFY_WITH_TIMEOUT(firstPosition > 0, 10000);
        qInfo("second play() at %lld ms into the clip: first position > 0 (%lld ms) after %lld "
              "ms",
              before, firstPosition, firstPositionMs);
        QVERIFY2(firstPosition < before, "the clip did not start over");

        listen(from, kListenBytes);
        if (QTest::currentTestFailed())
            return;
        const QMediaPlayer::PlaybackState state = mp->playbackState();
        qint64 n = 0;
        const double rms = recordedRms(from, &n);
        qInfo("replayed while playing: RMS %.6f over %lld samples", rms, n);
        QCOMPARE(failed.count(), 0);
        QCOMPARE(state, QMediaPlayer::PlayingState);
        QVERIFY2(rms > kSilence, qPrintable(QString::number(rms)));
    }

    // The next alarm after the clip has ended sounds again.
    void replaysAfterTheEnd() {
        startRecording(QStringLiteral("after-end.raw"));
        if (QTest::currentTestFailed())
            return;
        ClipPlayer player;
        QSignalSpy failed(&player, &ClipPlayer::failed);
        QMediaPlayer* mp = playAsTheAlarmDoes(player);
        QVERIFY(mp);
        QTRY_VERIFY_WITH_TIMEOUT(mp->position() > 0 && mp->duration() > 20000, 10000);
        // Skip to the clip's last second and a half rather than wait 25 s.
        mp->setPosition(mp->duration() - 1500);
        QTRY_COMPARE_WITH_TIMEOUT(mp->mediaStatus(), QMediaPlayer::EndOfMedia, 10000);

        qint64 firstPositionMs = -1;
        QElapsedTimer clock;
        const qint64 from = fileSize(recording_);
        clock.start();
        mp = playAsTheAlarmDoes(player);
        QVERIFY(mp);
        connect(mp, &QMediaPlayer::positionChanged, this, [&](qint64 pos) {
            if (pos > 0 && pos < 5000 && firstPositionMs < 0)
                firstPositionMs = clock.elapsed();
        });
        QTRY_VERIFY_WITH_TIMEOUT(firstPositionMs >= 0, 10000);
        qInfo("play() after the end: first position > 0 after %lld ms", firstPositionMs);

        listen(from, kListenBytes);
        if (QTest::currentTestFailed())
            return;
        const QMediaPlayer::PlaybackState state = mp->playbackState();
        const qint64 position = mp->position();
        qint64 n = 0;
        const double rms = recordedRms(from, &n);
        qInfo("replayed after the end: RMS %.6f over %lld samples, position %lld ms", rms, n,
              position);
        QCOMPARE(failed.count(), 0);
        QCOMPARE(state, QMediaPlayer::PlayingState);
        QVERIFY2(position >= 3000, qPrintable(QString::number(position)));
        QVERIFY2(rms > kSilence, qPrintable(QString::number(rms)));
    }

    // Alarms in quick succession, at any moment of the clip: two at once (two
    // fields holding the same time), right after the clip got going, early,
    // and well into it. Every play must set the clip going again and keep it
    // sounding; none may leave the player silent, at the end of the stream or
    // in an error.
    void everyReplayStartsOver() {
        startRecording(QStringLiteral("replays.raw"));
        if (QTest::currentTestFailed())
            return;
        ClipPlayer player;
        QSignalSpy failed(&player, &ClipPlayer::failed);

        int plays = 0;
        qint64 lastPosition = -1;
        const auto play = [&] {
            QMediaPlayer* mp = playAsTheAlarmDoes(player);
            ++plays;
            lastPosition = -1;
            QVERIFY(mp);
            connect(mp, &QMediaPlayer::positionChanged, this,
                    [&lastPosition](qint64 pos) { lastPosition = pos; });
        };
        const auto state = [&] {
            QMediaPlayer* mp = player.mediaPlayer();
            return QStringLiteral("play %1: position %2, state %3, status %4, error '%5'")
                .arg(plays)
                .arg(mp->position())
                .arg(int(mp->playbackState()))
                .arg(int(mp->mediaStatus()))
                .arg(mp->errorString());
        };
        // A fixed spread of gaps, so that each run tries the same moments.
        const int gapsMs[] = {0, 20, 60, 150, 300, 700};
        constexpr int kRounds = 3;
        for (int round = 0; round < kRounds; ++round) {
            play();
            play();
            for (const int gap : gapsMs) {
                QTRY_VERIFY2_WITH_TIMEOUT(lastPosition > 0, qPrintable(state()), 10000);
                QVERIFY2(lastPosition < 3000, qPrintable(state()));
                QTest::qWait(gap);
                play();
            }
            // The last one keeps going: a pipeline that only pretends to
            // play stops moving within a few hundred milliseconds.
            QTRY_VERIFY2_WITH_TIMEOUT(lastPosition >= 1500, qPrintable(state()), 10000);
        }
        const qint64 from = fileSize(recording_);
        listen(from, kListenBytes);
        if (QTest::currentTestFailed())
            return;
        const qint64 position = player.mediaPlayer()->position();
        qint64 n = 0;
        const double rms = recordedRms(from, &n);
        qInfo("%d plays in quick succession; after the last: RMS %.6f over %lld samples, "
              "position %lld ms",
              plays, rms, n, position);
        QCOMPARE(failed.count(), 0);
        QCOMPARE(player.mediaPlayer()->playbackState(), QMediaPlayer::PlayingState);
        QVERIFY2(position >= 4000, qPrintable(QString::number(position)));
        QVERIFY2(rms > kSilence, qPrintable(QString::number(rms)));
    }

    // Clips that cannot be played, each in a program of its own that plays it
    // the way the alarm does: both calls succeed, the player says in one line
    // on stderr which file failed and why, and the program ends normally.
    void badClipsAreReported_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("clip");
        QTest::addColumn<QString>("reason"); // part of the line, when it is ours
        QTest::newRow("missing") << "missing"
                                 << "nope.mp3"
                                 << "no such file";
        QTest::newRow("empty") << "empty"
                               << "empty.mp3"
                               << "";
        QTest::newRow("random bytes") << "random"
                                      << "x.mp3"
                                      << "";
        // Named like the real clip: the copy in the current directory comes first.
        QTest::newRow("cut short") << "cut"
                                   << "athan.mp3"
                                   << "cut short";
        QTest::newRow("unreadable") << "unreadable"
                                    << "locked.mp3"
                                    << "cannot be read";
        QTest::newRow("directory") << "directory"
                                   << "folder.mp3"
                                   << "cannot be read";
    }
    void badClipsAreReported() {
        QFETCH(QString, kind);
        QFETCH(QString, clip);
        QFETCH(QString, reason);
        const QString dir = QDir(work_.path()).filePath(QStringLiteral("bad-") + kind);
        QVERIFY(QDir().mkpath(dir));
        const QString path = QDir(dir).filePath(clip);
        QString named = path; // how the line names the clip
        if (kind == u"missing") {
            named = clip;
        } else if (kind == u"directory") {
            QVERIFY(QDir().mkpath(path));
        } else {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            if (kind == u"random") {
                QByteArray noise(16384, Qt::Uninitialized);
                for (char& c : noise)
                    c = char(QRandomGenerator::global()->bounded(256));
                f.write(noise);
            } else if (kind == u"cut") {
                QFile whole(dataClip_);
                QVERIFY(whole.open(QIODevice::ReadOnly));
                f.write(whole.read(2048));
            } else if (kind == u"unreadable") {
                f.write("not to be read");
            }
            f.close();
            if (kind == u"unreadable") {
                QVERIFY(f.setPermissions(QFileDevice::WriteOwner));
                QFile test(path);
                if (test.open(QIODevice::ReadOnly))
                    QSKIP("running as root: a file without read permission can still be read");
            }
        }

        const ProbeRun r = runProbe(dir, clip, 10000);
        if (kind == u"unreadable")
            QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        const QString report =
            QStringLiteral("stdout:\n%1\nstderr:\n%2").arg(r.out.join(u'\n'), r.err.join(u'\n'));
        QVERIFY2(r.status == QProcess::NormalExit, qPrintable(report));
        QVERIFY2(r.code == 0, qPrintable(report));
        QVERIFY2(r.out.contains(QStringLiteral("dispatched")), qPrintable(report));
        QVERIFY2(r.out.contains(QStringLiteral("failed")), qPrintable(report));

        const QStringList lines =
            r.err.filter(QRegularExpression(QStringLiteral("^") + kProbe + QStringLiteral(": ")));
        QVERIFY2(lines.size() == 1, qPrintable(report));
        const QString line = lines.front();
        qInfo("%s", qPrintable(line));
        const QString head = kProbe + QStringLiteral(": cannot play ") + named;
        QVERIFY2(line.startsWith(head), qPrintable(line));
        // The reason follows the name.
        const QString rest = line.mid(head.size());
        QVERIFY2(QRegularExpression(QStringLiteral("^( in full)?: \\S")).match(rest).hasMatch(),
                 qPrintable(line));
        QVERIFY2(rest.contains(reason), qPrintable(line));
    }

    // With no sound server to reach, the play call still succeeds, the player
    // says it has no output, and the program ends normally.
    void noSoundServer() {
        const QString dir = QDir(work_.path()).filePath(QStringLiteral("no-server"));
        QVERIFY(QDir().mkpath(dir));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PULSE_SERVER"),
                   QStringLiteral("unix:") + dir + QStringLiteral("/no-such-socket"));
        const ProbeRun r = runProbe(dir, kClip, 2000, env);
        const QString report =
            QStringLiteral("stdout:\n%1\nstderr:\n%2").arg(r.out.join(u'\n'), r.err.join(u'\n'));
        QVERIFY2(r.status == QProcess::NormalExit, qPrintable(report));
        QVERIFY2(r.code == 0, qPrintable(report));
        QVERIFY2(r.out.contains(QStringLiteral("dispatched")), qPrintable(report));
        QVERIFY2(!r.out.contains(QStringLiteral("failed")), qPrintable(report));
        QVERIFY2(!r.out.filter(QRegularExpression(QStringLiteral("^end "))).isEmpty(),
                 qPrintable(report));
        const QStringList lines =
            r.err.filter(QRegularExpression(QStringLiteral("^") + kProbe + QStringLiteral(": ")));
        QVERIFY2(lines.size() == 1, qPrintable(report));
        QCOMPARE(lines.front(), kProbe + QStringLiteral(": playing ") + dataClip_ +
                                    QStringLiteral(", but there is no sound output device"));
    }
};

QTEST_MAIN(AudioPlayback)
#include "tst_audio_playback.moc"
