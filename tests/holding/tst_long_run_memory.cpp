// A whole day of the real main window at full speed: one wake of its timers
// for every second of the day, the window repainted at each, the adhan going
// off three times. What the process holds must not grow with the ticks.
// (In the sanitizer build the same run ends with the leak check;
// run-valgrind.sh runs a shorter one under Valgrind.)
//
// ADHAN_LONG_RUN_HOURS sets how many hours are measured (24 unless set).

#include "tests/holding/WindowDriver.h"
#include "tests/support/TestSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QtTest>

#include <malloc.h>

using holding::WindowDriver;
using testing::BoxAnswerer;

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// The resident set of this process in KiB, from /proc/self/status.
qint64 rssKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// Under Valgrind, whose own allocator stands in for the heap.
bool underValgrind() {
    return qEnvironmentVariable("LD_PRELOAD").contains(QStringLiteral("vgpreload"));
}

// Bytes the heap has handed out and not had back.
qint64 heapInUse() {
    const struct mallinfo2 m = mallinfo2();
    return static_cast<qint64>(m.uordblks + m.hblkhd);
}

} // namespace

class LongRunMemoryTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aDayOfTicksHoldsNoMore() {
        bool ok = false;
        int hours = qEnvironmentVariableIntValue("ADHAN_LONG_RUN_HOURS", &ok);
        if (!ok || hours <= 0)
            hours = 24;
        const QDateTime warm(QDate(2024, 3, 15), QTime(6, 0));
        const QDateTime end = warm.addSecs(hours * 3600);
        // The alarms in the measured hours: dawn, noon and sunset each day.
        size_t alarms = 1;
        for (QDateTime t = warm; t < end; t = t.addSecs(1)) {
            const QTime tt = t.time();
            alarms += tt == QTime(5, 6) || tt == QTime(11, 47) || tt == QTime(17, 18) ? 1 : 0;
        }

        WindowDriver d(QDateTime(QDate(2024, 3, 15), QTime(5, 0, 0, 2)));
        d.eventsEvery = 1; // the event loop runs between seconds: paints, layouts
        BoxAnswerer boxes;

        // Warm up: an hour, through the dawn alarm, so the player, the
        // message box and the fonts have all been made once.
        d.runUntil(warm);
        QCOMPARE(boxes.seen.size(), size_t(1));
        malloc_trim(0);
        const qint64 rssBefore = rssKiB();
        const qint64 heapBefore = heapInUse();

        QElapsedTimer took;
        took.start();
        const qint64 wakesBefore = d.wakes();
        d.runUntil(end);
        const qint64 wakes = d.wakes() - wakesBefore;
        WindowDriver::processEvents();
        malloc_trim(0);
        const qint64 rssAfter = rssKiB();
        const qint64 heapAfter = heapInUse();

        qInfo("%d hours: %lld wakes in %lld ms; RSS %lld -> %lld KiB (%+lld KiB); heap in use %lld "
              "-> "
              "%lld KiB (%+lld KiB)",
              hours, static_cast<long long>(wakes), static_cast<long long>(took.elapsed()),
              static_cast<long long>(rssBefore), static_cast<long long>(rssAfter),
              static_cast<long long>(rssAfter - rssBefore),
              static_cast<long long>(heapBefore / 1024), static_cast<long long>(heapAfter / 1024),
              static_cast<long long>((heapAfter - heapBefore) / 1024));

        QVERIFY2(d.problems.isEmpty(), qPrintable(d.problems.join(u'\n')));
        QVERIFY(wakes >= hours * 3600);
        QCOMPARE(boxes.seen.size(), alarms); // a day: dawn; then noon, sunset, dawn
        QCOMPARE(d.controls().time1->text(), holding::expectedClockText(end));
        if (kSanitized || underValgrind())
            QSKIP("the sanitizer's or Valgrind's allocator keeps freed memory: the leak check at "
                  "exit stands in for the figures");
        QVERIFY(rssBefore > 0 && rssAfter > 0);
        // Flat: far less than a byte for each of the 86,400 ticks.
        QVERIFY2(rssAfter - rssBefore < 1024, "the resident set grew over the day");
        QVERIFY2(heapAfter - heapBefore < 256 * 1024, "the heap grew over the day");
    }
};

QTEST_MAIN(LongRunMemoryTest)
#include "tst_long_run_memory.moc"
