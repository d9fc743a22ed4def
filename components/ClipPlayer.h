#pragma once

#include "platform/Dispatch.h"

#include <QStringList>
#include <QWidget>

class QMediaPlayer;
class QAudioOutput;

// The main window's media player; no surface of its own. Play returns at once
// and the clip plays to its end. A bare name is looked for in the current
// folder, then in the data folder. A clip that cannot be played is the
// player's own matter: the call succeeds and one line on stderr says why.
class ClipPlayer : public QWidget, public platform::Dispatchable {
    Q_OBJECT
public:
    explicit ClipPlayer(QWidget* parent = nullptr);
    ~ClipPlayer() override;

    platform::DispatchResult invoke(std::int32_t id, platform::CallKind kind,
                                    const QVariantList& args) override;

    QString source() const { return source_; }
    // Where a bare clip name is looked for after the current directory.
    static QStringList dataDirectories();
    // The file a clip name stands for, or an empty string when none exists.
    static QString resolve(const QString& clip);
    // Why the file at `path` is shorter than it says it is, or an empty string.
    static QString cutShort(const QString& path);

    // The player of the clip started last, once there is one (for checks). Each
    // play replaces it.
    QMediaPlayer* mediaPlayer() const { return player_; }

signals:
    // A clip was handed to the audio system (the path it resolved to).
    void started(const QString& path);
    // The clip could not be played; `reason` is what was written to stderr.
    void failed(const QString& reason);

private:
    void play();
    // Plays the current clip from its start on a fresh pipeline.
    void start();
    void complain(const QString& what);
    void freshPlayer();

    QString source_;
    QString current_;
    bool complained_ = false; // the current play has been reported as failed
    static constexpr int kRestarts = 3;
    int restarts_ = 0; // of the current play, after ending before it began
    QMediaPlayer* player_ = nullptr;
};
