// A short run of the idle benchmark: it starts, measures the real window and
// reports every figure, each in a sane range. The timed targets are checked by
// bench/run.sh on a full run, not here.
#include <QMap>
#include <QProcess>
#include <QTest>

namespace {

constexpr double kSeconds = 5;

struct Run {
    int exitCode = -1;
    QProcess::ExitStatus exitStatus = QProcess::CrashExit;
    QMap<QString, QString> values;
    QString errors;
};

Run runBench(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(ADHAN_BENCH_PROGRAM), args);
    Run r;
    if (!p.waitForStarted(10'000) || !p.waitForFinished(100'000)) {
        p.kill();
        p.waitForFinished();
        r.errors = QStringLiteral("did not start or finish: ") + p.errorString();
        return r;
    }
    r.exitCode = p.exitCode();
    r.exitStatus = p.exitStatus();
    r.errors = QString::fromLocal8Bit(p.readAllStandardError());
    const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split(u'\n');
    for (const QString& line : lines) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq > 0)
            r.values.insert(line.left(eq), line.mid(eq + 1));
    }
    return r;
}

double number(const Run& r, const char* key) {
    const QString k = QString::fromLatin1(key);
    bool ok = false;
    const double v = r.values.value(k).toDouble(&ok);
    if (!ok)
        qWarning("no number for %s (got \"%s\")", key, qPrintable(r.values.value(k)));
    return ok ? v : qQNaN();
}

} // namespace

class BenchSmoke : public QObject {
    Q_OBJECT
private slots:
    void oursReportsSaneFigures() {
        const Run r =
            runBench({QStringLiteral("ours"), QStringLiteral("--seconds"),
                      QString::number(kSeconds), QStringLiteral("--settle"), QStringLiteral("1")});
        QVERIFY2(r.exitStatus == QProcess::NormalExit && r.exitCode == 0, qPrintable(r.errors));
        QCOMPARE(r.values.value(QStringLiteral("mode")), QStringLiteral("ours"));

        const double seconds = number(r, "seconds");
        QVERIFY2(seconds >= kSeconds && seconds < kSeconds + 1,
                 qPrintable(QString::number(seconds)));

        const double cpu = number(r, "cpu_s");
        QVERIFY(cpu >= 0);
        QVERIFY2(number(r, "cpu_pct") < 50, "an idle window should not take half a core");

        // Each beat sleeps and wakes: some switches, and the per-second figure
        // agrees with the counts.
        const double switches = number(r, "voluntary_ctx") + number(r, "involuntary_ctx");
        QVERIFY(switches > 0);
        QVERIFY(qAbs(number(r, "ctx_per_s") * seconds - switches) < 1);

        const double rss = number(r, "rss_mb");
        QVERIFY2(rss > 10 && rss < 4096, qPrintable(QString::number(rss)));

        // The clock label changed about once a second, each time within the second.
        const double samples = number(r, "lag_samples");
        QVERIFY2(samples >= kSeconds - 2 && samples <= kSeconds + 1,
                 qPrintable(QString::number(samples)));
        const double lagMedian = number(r, "lag_median_ms");
        const double lagMax = number(r, "lag_max_ms");
        QVERIFY(lagMedian >= 0 && lagMedian <= lagMax && lagMax < 1000);
        const double paintMedian = number(r, "paint_lag_median_ms");
        QVERIFY(paintMedian >= 0 && paintMedian < 1000);
        QVERIFY(number(r, "beats") >= samples);
        QVERIFY(number(r, "refresh_runs_per_s") > 0);

        const double firstPaint = number(r, "first_paint_ms");
        QVERIFY2(firstPaint > 0 && firstPaint < 30'000, qPrintable(QString::number(firstPaint)));

        QCOMPARE(r.values.value(QStringLiteral("modal_boxes")), QStringLiteral("0"));
        QVERIFY(!r.values.value(QStringLiteral("threads")).isEmpty());
    }

    void refusesAnUnknownMode() {
        const Run r = runBench({QStringLiteral("fast")});
        QCOMPARE(r.exitStatus, QProcess::NormalExit);
        QCOMPARE(r.exitCode, 64);
        QVERIFY2(r.errors.contains(QStringLiteral("ours or baseline")), qPrintable(r.errors));
        QVERIFY(r.values.isEmpty());
    }
};

QTEST_GUILESS_MAIN(BenchSmoke)
#include "BenchSmoke.moc"
