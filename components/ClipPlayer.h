#pragma once

#include "platform/Dispatch.h"

#include <QStringList>
#include <QWidget>

#include <memory>

// The main window's media player; no surface of its own. Play returns at once
// and the clip plays to its end; a play while a clip plays starts it over. A
// bare name is looked for in the current folder, then in the data folders. A
// clip that cannot be played is the player's own matter: the call succeeds
// and one line on stderr says why. No audio pipeline is kept while nothing
// plays.
class ClipPlayer : public QWidget, public platform::Dispatchable {
    Q_OBJECT
public:
    explicit ClipPlayer(QWidget* parent = nullptr);
    ~ClipPlayer() override;

    platform::DispatchResult invoke(std::int32_t id, platform::CallKind kind,
                                    const QVariantList& args) override;

    QString source() const { return source_; }
    // Where a bare clip name is looked for, in order: the user's own clip,
    // the machine's, the start folder's, the one installed.
    static QStringList dataDirectories();
    // The file a clip name stands for, or an empty string when none exists.
    static QString resolve(const QString& clip);
    // Why the file at `path` is shorter than it says it is, or an empty string.
    static QString cutShort(const QString& path);

    // Whether a clip sounds now (for checks). Nothing of the audio system is
    // held while none does.
    bool playing() const;

signals:
    // A clip was handed to the audio system (the path it resolved to).
    void started(const QString& path);
    // The clip could not be played; `reason` is what was written to stderr.
    void failed(const QString& reason);

private:
    void play();
    void complain(const QString& what);
    // The clip being played cannot be: says why, once for each play.
    void playFailed(const QString& why);
    // One line on stderr, after the program's name.
    static void say(const QString& what);
    // The folder the program's own clip is installed in.
    static QString installedDirectory();
    // Hands the clip at `path` to the platform's audio system, in place of
    // any clip still playing.
    void start(const QString& path);

    QString source_;
    QString current_;
    bool complained_ = false; // the current play has been reported as failed
    struct Output;            // the platform's way to the sound
    std::unique_ptr<Output> out_;
};
