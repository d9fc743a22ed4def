#pragma once

#include "platform/Clock.h"
#include "platform/Dispatch.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <vector>

class QMessageBox;

namespace testing {

// A clock the test moves by hand.
class FakeClock final : public platform::Clock {
public:
    explicit FakeClock(QDateTime start = QDateTime(QDate(2024, 3, 15), QTime(0, 0)))
        : now_(std::move(start)) {}
    QDateTime now() const override { return now_; }
    void set(const QDateTime& t) { now_ = t; }
    void advanceMs(qint64 ms) { now_ = now_.addMSecs(ms); }

private:
    QDateTime now_;
};

// A stand-in player that records the calls made on it.
class RecordingPlayer final : public platform::Dispatchable {
public:
    struct Call {
        std::int32_t id;
        platform::CallKind kind;
        QVariantList args;
    };
    platform::DispatchResult invoke(std::int32_t id, platform::CallKind kind,
                                    const QVariantList& args) override;

    std::vector<Call> calls;
    int plays = 0;
    QString source;
    // Called at each play, after it is recorded.
    std::function<void()> onPlay;
};

// Answers the application's modal message boxes as they appear, recording
// their text and title. Optionally runs `whileOpen` once each box is up,
// before answering it.
class BoxAnswerer : public QObject {
    Q_OBJECT
public:
    explicit BoxAnswerer(QObject* parent = nullptr);
    struct Box {
        QString text;
        QString title;
        bool hadIcon = false;
        int buttons = 0;
    };
    std::vector<Box> seen;
    std::function<void(QMessageBox*)> whileOpen;
    // When false, boxes are recorded but left open (the test closes them).
    bool answer = true;

private:
    void poll();
    QTimer timer_;
    QPointer<QMessageBox> last_;
};

// Where the sources and the build are (set by the test runner).
QString sourceDir();
QString buildDir();

} // namespace testing
