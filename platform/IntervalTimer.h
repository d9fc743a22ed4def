#pragma once

#include <QTimer>
#include <QWidget>

namespace platform {

class SecondBeat;

// A timer control that lives in a window's layout data, invisible at run time.
// It ticks while it is enabled and its window is shown.
//
// Intervals below one second are served by the second beat: the handler sees
// exactly what a timer of that interval would show it (every change of the
// wall-clock second, and every input), without the cost of waking that often.
// Longer intervals use a precise timer of that interval.
class IntervalTimer : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int interval READ interval WRITE setInterval)
public:
    explicit IntervalTimer(QWidget* parent = nullptr);
    ~IntervalTimer() override;

    int interval() const { return interval_; }
    void setInterval(int ms);

    // Use another beat (tests drive one on a clock of their own).
    void setBeat(SecondBeat* beat);

signals:
    void Timer();

protected:
    void changeEvent(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void follow();
    void fire();
    bool shouldRun() const;

    int interval_ = 0;
    SecondBeat* beat_ = nullptr;
    int key_ = 0;
    QTimer plain_;
    QWidget* watchedWindow_ = nullptr;
};

} // namespace platform
