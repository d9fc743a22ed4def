#pragma once

#include <QTimer>
#include <QWidget>

namespace platform {

class SecondBeat;

// A timer control of a window's layout data, invisible, ticking while enabled
// and its window shown. Intervals below a second ride the second beat, which
// shows the handler all that a timer that fast would; longer ones use a
// precise timer.
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
