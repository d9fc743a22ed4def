// What the main window costs while it sits on the desktop showing the clock,
// and what an adhan leaves behind.
//
//   adhan-bench ours|baseline|floor [--seconds N] [--settle N]
//
// ours      the main window exactly as the program builds it.
// baseline  the same window with its two timer controls stopped and their
//           handlers driven instead by two plain 1 ms QTimers, the way the
//           layout data's 1 ms intervals would run taken literally.
// floor     what the toolkit costs for a clock at the least: a bare window
//           whose one label shows the time, set by one precise single-shot
//           timer re-aimed at each wall-clock second.
//
// The window is shown, painted, left to settle, and then watched for N
// seconds. Printed on stdout as key=value lines:
//   cpu_s, cpu_pct          CPU time of the process (all threads) in the window
//   ctx_per_s               voluntary + involuntary context switches a second
//   rss_mb                  peak resident set of the whole run (MiB)
//   lag_median_ms, lag_max_ms
//                           how late after each wall-clock second the clock
//                           label's text changes
//   paint_lag_median_ms, paint_lag_max_ms
//                           the same, to the label's next paint
//   first_paint_ms          process start to the window's first paint
//   threads                 context switches in the window, thread by thread
// Then, for ours, a dawn adhan: the first prayer field is set to the clock
// text two seconds ahead, the alarm plays the clip and opens its box, the box
// is closed two seconds into the clip, and the clip plays to its end.
//   rss_idle_mb, threads_idle          resident set and threads before it
//   rss_playing_mb, threads_playing    the same two seconds into the clip
//   player_rss_mb                      the sound process's resident set then
//   rss_after_mb, threads_after        the same once back to the idle figures
//                                      (RSS within 5 MB, the same threads),
//                                      or 5 s after the clip ended
//   after_s                            seconds from the clip's end to that
#include "app/Startup.h"
#include "platform/Clock.h"
#include "platform/ErrorReport.h"
#include "platform/IntervalTimer.h"
#include "platform/RegionalFormat.h"
#include "platform/RuntimeError.h"
#include "platform/SecondBeat.h"
#include "windows/main/Form1.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

qint64 bootNs() {
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    return qint64(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

// When the kernel started this process, on the boot clock (it keeps whole
// clock ticks, so this is up to one tick early). -1 when it cannot be read.
qint64 processStartBootNs() {
    std::ifstream in("/proc/self/stat");
    std::string line;
    if (!std::getline(in, line))
        return -1;
    // The command name is in parentheses and may hold spaces: count fields
    // after its closing one. That is field 2; the start time is field 22.
    const auto close = line.rfind(')');
    if (close == std::string::npos)
        return -1;
    std::istringstream rest(line.substr(close + 1));
    std::string field;
    for (int i = 3; i <= 22; ++i) {
        if (!(rest >> field))
            return -1;
    }
    const long ticksPerSecond = sysconf(_SC_CLK_TCK);
    if (ticksPerSecond <= 0)
        return -1;
    const long long ticks = std::stoll(field);
    return qint64(ticks * (1'000'000'000LL / ticksPerSecond));
}

struct Usage {
    double cpuS = 0;
    long voluntary = 0;
    long involuntary = 0;
    long maxRssKb = 0;
};

Usage usageNow() {
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    Usage u;
    u.cpuS = double(r.ru_utime.tv_sec) + double(r.ru_utime.tv_usec) / 1e6 +
             double(r.ru_stime.tv_sec) + double(r.ru_stime.tv_usec) / 1e6;
    u.voluntary = r.ru_nvcsw;
    u.involuntary = r.ru_nivcsw;
    u.maxRssKb = r.ru_maxrss;
    return u;
}

struct ThreadSwitches {
    std::string name;
    long voluntary = 0;
    long involuntary = 0;
};

// Context switches of each thread of the process so far, by thread id.
std::map<int, ThreadSwitches> threadSwitches() {
    std::map<int, ThreadSwitches> result;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& tid : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const std::string dir = "/proc/self/task/" + tid.toStdString();
        ThreadSwitches t;
        std::ifstream comm(dir + "/comm");
        std::getline(comm, t.name);
        std::ifstream status(dir + "/status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.starts_with("voluntary_ctxt_switches:"))
                t.voluntary = std::stol(line.substr(line.find(':') + 1));
            else if (line.starts_with("nonvoluntary_ctxt_switches:"))
                t.involuntary = std::stol(line.substr(line.find(':') + 1));
        }
        result[tid.toInt()] = t;
    }
    return result;
}

// A figure from /proc/<pid>/status ("VmRSS", "Threads", "PPid"), or -1.
long statusField(const std::string& pid, const std::string& field) {
    std::ifstream status("/proc/" + pid + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with(field + ":"))
            return std::stol(line.substr(field.size() + 1));
    }
    return -1;
}

// The resident set (KiB) of this process's children together.
long childrenRssKb() {
    long total = 0;
    const std::string self = std::to_string(getpid());
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        pid.toInt(&number);
        if (number && std::to_string(statusField(pid.toStdString(), "PPid")) == self)
            total += std::max(0L, statusField(pid.toStdString(), "VmRSS"));
    }
    return total;
}

struct Memory {
    long rssKb = 0;
    long threads = 0;
};

Memory memoryNow() {
    return {statusField("self", "VmRSS"), statusField("self", "Threads")};
}

double median(std::vector<double> v) {
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double maximum(const std::vector<double>& v) {
    return v.empty() ? -1 : *std::max_element(v.begin(), v.end());
}

enum class Mode { Ours, Baseline, Floor };

// Watches the window and takes the measurements.
class Bench : public QObject {
public:
    // `form` is null for the floor, whose window and label are given.
    Bench(QWidget& window, QLabel& label, Form1* form, Mode mode, double seconds, double settle,
          qint64 startNs, bool fromProcess)
        : window_(window), label_(label), form_(form), mode_(mode), seconds_(seconds),
          settle_(settle), startNs_(startNs), fromProcess_(fromProcess) {
        window_.installEventFilter(this);
        label_.installEventFilter(this);
        noPaint_.setSingleShot(true);
        noPaint_.setInterval(30'000);
        connect(&noPaint_, &QTimer::timeout, this, [] {
            std::fprintf(stderr, "adhan-bench: the window did not paint within 30 s\n");
            QCoreApplication::exit(1);
        });
        noPaint_.start();
    }

    // Runs after every run of the refresh handler: notes when the clock
    // label's text changes.
    void afterRefresh() {
        ++refreshRuns_;
        const QString text = label_.text();
        if (text == lastText_)
            return;
        lastText_ = text;
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        const qint64 second = now / 1000;
        if (measuring_) {
            if (lastChangeSecond_ >= 0 && second - lastChangeSecond_ > 1)
                skipped_ += second - lastChangeSecond_ - 1;
            lags_.push_back(double(now - second * 1000));
            changeBoundary_ = second * 1000;
        }
        lastChangeSecond_ = second;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() != QEvent::Paint)
            return false;
        if (watched == &window_ && firstPaintNs_ < 0) {
            firstPaintNs_ = bootNs();
            noPaint_.stop();
            QTimer::singleShot(int(settle_ * 1000), Qt::PreciseTimer, this, &Bench::begin);
        } else if (watched == &label_ && changeBoundary_ >= 0) {
            paintLags_.push_back(double(QDateTime::currentMSecsSinceEpoch() - changeBoundary_));
            changeBoundary_ = -1;
        }
        return false;
    }

private:
    // The program's second beats so far; the floor has none (and asking for
    // the beat would start it).
    quint64 beatsNow() const {
        return mode_ == Mode::Floor ? 0 : platform::SecondBeat::instance().beats();
    }

    void begin() {
        threadsAtBegin_ = threadSwitches();
        atBegin_ = usageNow();
        beatsAtBegin_ = beatsNow();
        refreshRuns_ = 0;
        beganNs_ = bootNs();
        measuring_ = true;
        QTimer::singleShot(int(seconds_ * 1000), Qt::PreciseTimer, this, &Bench::finish);
    }

    void finish() {
        measuring_ = false;
        const Usage end = usageNow();
        const qint64 endNs = bootNs();
        const auto threadsAtEnd = threadSwitches();
        const quint64 beats = beatsNow() - beatsAtBegin_;
        const double elapsed = double(endNs - beganNs_) / 1e9;
        const double cpu = end.cpuS - atBegin_.cpuS;
        const long switches =
            (end.voluntary - atBegin_.voluntary) + (end.involuntary - atBegin_.involuntary);

        std::printf("mode=%s\n", mode_ == Mode::Ours       ? "ours"
                                 : mode_ == Mode::Baseline ? "baseline"
                                                           : "floor");
        std::printf("seconds=%.3f\n", elapsed);
        std::printf("cpu_s=%.4f\n", cpu);
        std::printf("cpu_pct=%.4f\n", cpu / elapsed * 100);
        std::printf("startup_cpu_s=%.4f\n", atBegin_.cpuS);
        std::printf("voluntary_ctx=%ld\n", end.voluntary - atBegin_.voluntary);
        std::printf("involuntary_ctx=%ld\n", end.involuntary - atBegin_.involuntary);
        std::printf("ctx_per_s=%.3f\n", double(switches) / elapsed);
        std::printf("rss_mb=%.1f\n", double(end.maxRssKb) / 1024);
        std::printf("lag_samples=%zu\n", lags_.size());
        std::printf("lag_median_ms=%.1f\n", median(lags_));
        std::printf("lag_max_ms=%.0f\n", maximum(lags_));
        std::printf("paint_lag_median_ms=%.1f\n", median(paintLags_));
        std::printf("paint_lag_max_ms=%.0f\n", maximum(paintLags_));
        std::printf("skipped_seconds=%lld\n", skipped_);
        std::printf("first_paint_ms=%.1f\n", double(firstPaintNs_ - startNs_) / 1e6);
        std::printf("first_paint_from=%s\n", fromProcess_ ? "process" : "main");
        std::printf("refresh_runs_per_s=%.2f\n", double(refreshRuns_) / elapsed);
        std::printf("beats=%llu\n", static_cast<unsigned long long>(beats));
        std::printf("modal_boxes=%d\n", QApplication::activeModalWidget() ? 1 : 0);
        std::string threads;
        for (const auto& [tid, t] : threadsAtEnd) {
            const auto before = threadsAtBegin_.find(tid);
            const long v =
                t.voluntary - (before != threadsAtBegin_.end() ? before->second.voluntary : 0);
            const long n =
                t.involuntary - (before != threadsAtBegin_.end() ? before->second.involuntary : 0);
            if (!threads.empty())
                threads += ' ';
            threads += t.name + ':' + std::to_string(v) + '+' + std::to_string(n);
        }
        std::printf("threads=%s\n", threads.c_str());
        std::fflush(stdout);
        if (form_)
            adhan();
        else
            QCoreApplication::quit();
    }

    // The dawn adhan, watched every 100 ms from its alarm to when the figures
    // are back where they were.
    void adhan() {
        Ui::Form1& ui = form_->controls();
        idle_ = memoryNow();
        ui.Text1->setText(
            platform::RegionalFormat::fromEnvironment().longTime(QTime::currentTime().addSecs(2)));
        phase_.start();
        connect(&watch_, &QTimer::timeout, this, [this, &ui] {
            const qint64 ms = phase_.elapsed();
            if (!played_ && ui.RealAudio1->playing()) {
                played_ = true;
                phase_.restart();
            } else if (played_ && !ended_ && ms >= 2000 && playing_.rssKb == 0) {
                playing_ = memoryNow();
                playerKb_ = childrenRssKb();
                if (QWidget* box = QApplication::activeModalWidget())
                    box->close();
            } else if (played_ && playing_.rssKb > 0 && !ended_ && !ui.RealAudio1->playing()) {
                ended_ = true;
                phase_.restart();
            } else if (ended_) {
                const Memory now = memoryNow();
                if ((now.rssKb - idle_.rssKb < 5 * 1024 && now.threads == idle_.threads) ||
                    ms >= 5000)
                    reportAdhan(now, double(ms) / 1000);
            }
            // A whole adhan lasts a few minutes; its start is a matter of a second.
            if (const int limit = played_ ? 600 : 60; !ended_ && ms > limit * 1000) {
                std::fprintf(stderr, "adhan-bench: the adhan did not %s within %d s\n",
                             played_ ? "end" : "start", limit);
                QCoreApplication::exit(1);
            }
        });
        watch_.start(100);
    }

    void reportAdhan(const Memory& after, double afterS) {
        watch_.stop();
        std::printf("rss_idle_mb=%.1f\n", double(idle_.rssKb) / 1024);
        std::printf("threads_idle=%ld\n", idle_.threads);
        std::printf("rss_playing_mb=%.1f\n", double(playing_.rssKb) / 1024);
        std::printf("threads_playing=%ld\n", playing_.threads);
        std::printf("player_rss_mb=%.1f\n", double(playerKb_) / 1024);
        std::printf("rss_after_mb=%.1f\n", double(after.rssKb) / 1024);
        std::printf("threads_after=%ld\n", after.threads);
        std::printf("rss_after_over_idle_mb=%.1f\n", double(after.rssKb - idle_.rssKb) / 1024);
        std::printf("threads_after_over_idle=%ld\n", after.threads - idle_.threads);
        std::printf("after_s=%.1f\n", afterS);
        std::fflush(stdout);
        QCoreApplication::quit();
    }

    QWidget& window_;
    QLabel& label_;
    Form1* const form_;
    const Mode mode_;
    const double seconds_;
    const double settle_;
    const qint64 startNs_;
    const bool fromProcess_;
    QTimer noPaint_;

    qint64 firstPaintNs_ = -1;
    bool measuring_ = false;
    qint64 beganNs_ = 0;
    Usage atBegin_;
    std::map<int, ThreadSwitches> threadsAtBegin_;
    quint64 beatsAtBegin_ = 0;
    long long refreshRuns_ = 0;

    QString lastText_;
    qint64 lastChangeSecond_ = -1;
    qint64 changeBoundary_ = -1;
    long long skipped_ = 0;
    std::vector<double> lags_;
    std::vector<double> paintLags_;

    QTimer watch_;
    QElapsedTimer phase_;
    bool played_ = false;
    bool ended_ = false;
    Memory idle_;
    Memory playing_;
    long playerKb_ = 0;
};

// The floor's clock: one label, set at each wall-clock second by a precise
// single-shot timer aimed at the next one.
class FloorClock : public QWidget {
public:
    FloorClock() : label_(new QLabel(this)) {
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(label_);
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);
        connect(&timer_, &QTimer::timeout, this, &FloorClock::tick);
        tick();
    }
    QLabel& label() { return *label_; }
    std::function<void()> afterTick;

private:
    void tick() {
        const QDateTime now = QDateTime::currentDateTime();
        label_->setText(now.time().toString(QStringLiteral("hh:mm:ss")));
        timer_.start(int(1000 - now.toMSecsSinceEpoch() % 1000) + 1);
        if (afterTick)
            afterTick();
    }

    QLabel* label_;
    QTimer timer_;
};

} // namespace

int main(int argc, char* argv[]) {
    const qint64 mainNs = bootNs();
    if (!app::displayAvailable()) {
        std::fprintf(stderr, "adhan-bench: no display (set DISPLAY, or run bench/run.sh, which "
                             "starts a virtual one)\n");
        return 2;
    }
    app::prepareEnvironment(); // as the program starts, both modes alike
    QApplication application(argc, argv);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Measures the main window at idle: CPU, wake-ups, memory, clock label "
                       "lag and first paint."));
    parser.addHelpOption();
    parser.addPositionalArgument(
        QStringLiteral("mode"), QStringLiteral("ours (the window as built), baseline (its "
                                               "timers replaced by two plain 1 ms QTimers) or "
                                               "floor (a bare window, one label set each second)"));
    const QCommandLineOption secondsOption(QStringLiteral("seconds"),
                                           QStringLiteral("How long to measure (default 60)."),
                                           QStringLiteral("s"), QStringLiteral("60"));
    const QCommandLineOption settleOption(
        QStringLiteral("settle"),
        QStringLiteral("How long to wait after the first paint before measuring (default 2)."),
        QStringLiteral("s"), QStringLiteral("2"));
    parser.addOption(secondsOption);
    parser.addOption(settleOption);
    parser.process(application);

    const QStringList args = parser.positionalArguments();
    Mode mode = Mode::Ours;
    if (args.size() == 1 && args.front() == QLatin1String("ours")) {
        mode = Mode::Ours;
    } else if (args.size() == 1 && args.front() == QLatin1String("baseline")) {
        mode = Mode::Baseline;
    } else if (args.size() == 1 && args.front() == QLatin1String("floor")) {
        mode = Mode::Floor;
    } else {
        std::fprintf(stderr, "adhan-bench: give one mode, ours, baseline or floor\n");
        return 64;
    }
    bool secondsOk = false;
    bool settleOk = false;
    const double seconds = parser.value(secondsOption).toDouble(&secondsOk);
    const double settle = parser.value(settleOption).toDouble(&settleOk);
    if (!secondsOk || seconds < 1 || seconds > 86400 || !settleOk || settle < 0 || settle > 600) {
        std::fprintf(stderr, "adhan-bench: --seconds takes 1 to 86400, --settle 0 to 600\n");
        return 64;
    }

    // First paint counts from the process's start when the kernel's record of
    // it is consistent with this reading, else from here.
    const qint64 processNs = processStartBootNs();
    const bool fromProcess =
        processNs > 0 && processNs <= mainNs && mainNs - processNs < 10'000'000'000LL;
    const qint64 startNs = fromProcess ? processNs : mainNs;

    if (mode == Mode::Floor) {
        FloorClock floor;
        Bench bench(floor, floor.label(), nullptr, mode, seconds, settle, startNs, fromProcess);
        floor.afterTick = [&bench] { bench.afterRefresh(); };
        floor.show();
        return QApplication::exec();
    }

    app::setUpApplication(application);
    std::unique_ptr<Form1> form;
    try {
        form = std::make_unique<Form1>(platform::SystemClock::instance(),
                                       platform::RegionalFormat::fromEnvironment());
    } catch (const platform::RuntimeError& e) {
        std::fprintf(stderr, "adhan-bench: %s\n", qPrintable(platform::runTimeErrorText(e)));
        return 1;
    }
    Ui::Form1& ui = form->controls();
    // Texts no clock text can equal: the alarm check never opens its box.
    for (QLineEdit* field : {ui.Text1, ui.Text2, ui.Text3})
        field->setText(QStringLiteral("--:--:--"));

    Bench bench(*form, *ui.time1, mode == Mode::Ours ? form.get() : nullptr, mode, seconds, settle,
                startNs, fromProcess);
    QTimer refresh;
    QTimer alarm;
    if (mode == Mode::Ours) {
        // Connected after the window's own handler, so it runs right after it.
        QObject::connect(ui.Timer1, &platform::IntervalTimer::Timer, &bench, &Bench::afterRefresh);
    } else {
        ui.Timer1->setInterval(0);
        ui.Timer2->setInterval(0);
        refresh.setInterval(1);
        alarm.setInterval(1);
        QObject::connect(&refresh, &QTimer::timeout, form.get(), [&] {
            form->Timer1_Timer();
            bench.afterRefresh();
        });
        QObject::connect(&alarm, &QTimer::timeout, form.get(), &Form1::Timer2_Timer);
        refresh.start();
        alarm.start();
    }

    form->show();
    return QApplication::exec();
}
