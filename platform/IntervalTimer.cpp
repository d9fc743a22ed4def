#include "IntervalTimer.h"

#include "SecondBeat.h"

#include <QEvent>

namespace platform {

IntervalTimer::IntervalTimer(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_DontShowOnScreen);
    setFocusPolicy(Qt::NoFocus);
    QWidget::setVisible(false);
    plain_.setTimerType(Qt::PreciseTimer);
    connect(&plain_, &QTimer::timeout, this, &IntervalTimer::fire);
}

IntervalTimer::~IntervalTimer() {
    if (beat_ && key_)
        beat_->unsubscribe(key_);
}

void IntervalTimer::setInterval(int ms) {
    interval_ = ms;
    follow();
}

void IntervalTimer::setBeat(SecondBeat* beat) {
    if (beat_ && key_)
        beat_->unsubscribe(key_);
    key_ = 0;
    beat_ = beat;
    follow();
}

bool IntervalTimer::shouldRun() const {
    return interval_ > 0 && isEnabled() && window() && window()->isVisible();
}

void IntervalTimer::fire() {
    if (shouldRun())
        emit Timer();
}

void IntervalTimer::follow() {
    // Watch the window for showing, so the first tick comes right away.
    QWidget* w = window();
    if (w != watchedWindow_) {
        if (watchedWindow_)
            watchedWindow_->removeEventFilter(this);
        watchedWindow_ = w != this ? w : nullptr;
        if (watchedWindow_)
            watchedWindow_->installEventFilter(this);
    }

    // Short intervals stay subscribed to the beat for the timer's life, so
    // the timers of a window tick in the order they were created; whether
    // a beat reaches the handler is decided when it comes.
    if (interval_ > 0 && interval_ < 1000) {
        plain_.stop();
        if (!beat_)
            beat_ = &SecondBeat::instance();
        if (!key_)
            key_ = beat_->subscribe([this] { fire(); });
        if (shouldRun())
            beat_->poke();
        return;
    }
    if (beat_ && key_) {
        beat_->unsubscribe(key_);
        key_ = 0;
    }
    if (shouldRun()) {
        if (!plain_.isActive() || plain_.interval() != interval_)
            plain_.start(interval_);
    } else {
        plain_.stop();
    }
}

void IntervalTimer::changeEvent(QEvent* e) {
    if (e->type() == QEvent::EnabledChange)
        follow();
    QWidget::changeEvent(e);
}

bool IntervalTimer::eventFilter(QObject* watched, QEvent* e) {
    if (watched == watchedWindow_ && (e->type() == QEvent::Show || e->type() == QEvent::Hide))
        follow();
    return QWidget::eventFilter(watched, e);
}

} // namespace platform
