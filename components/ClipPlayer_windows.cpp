#include "ClipPlayer.h"

#include <QCoreApplication>
#include <QDir>

#include <windows.h>

#include <mfapi.h>
#include <mfplay.h>

#include <utility>

namespace {
// Media Foundation, loaded at the first play rather than imported: Windows
// N and KN editions without the Media Feature Pack, and Server Core, have
// none, and Windows would not start a program that imports it at all. Only
// from Windows' own folder, never from wherever the program was started.
struct MediaFoundation {
    decltype(&MFStartup) startup = nullptr;
    decltype(&MFShutdown) shutdown = nullptr;
    decltype(&MFPCreateMediaPlayer) createPlayer = nullptr;
    QString missing; // why it cannot be had; empty when it can

    MediaFoundation() {
        HMODULE plat = nullptr, play = nullptr;
        for (auto [module, name] : {std::pair{&plat, L"mfplat.dll"}, {&play, L"mfplay.dll"}}) {
            *module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
            if (!*module) {
                missing = QStringLiteral("Media Foundation, which plays sound on Windows, is "
                                         "missing (%1: %2); Windows editions without it (N, KN) "
                                         "get it with the Media Feature Pack")
                              .arg(QString::fromWCharArray(name),
                                   qt_error_string(int(GetLastError())).trimmed());
                return;
            }
        }
        const auto get = [](HMODULE module, const char* name, auto& function) {
            // Through void(*)(): the one cast between function types the
            // compiler takes as meant.
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(
                reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
            return function != nullptr;
        };
        if (!get(plat, "MFStartup", startup) || !get(plat, "MFShutdown", shutdown) ||
            !get(play, "MFPCreateMediaPlayer", createPlayer))
            missing = QStringLiteral("this Windows's Media Foundation lacks its player (MFPlay)");
    }
};

const MediaFoundation& mediaFoundation() {
    static const MediaFoundation loaded;
    return loaded;
}
} // namespace

// Media Foundation's player, given the clip as a plain path. Its events come
// through the thread's message queue, so they reach us on the event loop.
struct ClipPlayer::Output final : IMFPMediaPlayerCallback {
    ClipPlayer* owner = nullptr;
    IMFPMediaPlayer* player = nullptr;
    bool started = SUCCEEDED(mediaFoundation().startup(MF_VERSION, MFSTARTUP_FULL));

    ~Output() {
        drop();
        if (started)
            mediaFoundation().shutdown();
    }
    void drop() {
        if (!player)
            return;
        player->Shutdown();
        player->Release();
        player = nullptr;
    }

    // Owned by the ClipPlayer, never by a reference count.
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        if (riid == __uuidof(IUnknown) || riid == __uuidof(IMFPMediaPlayerCallback)) {
            *object = static_cast<IMFPMediaPlayerCallback*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }

    void STDMETHODCALLTYPE OnMediaPlayerEvent(MFP_EVENT_HEADER* event) override {
        if (!event || event->pMediaPlayer != player)
            return; // from a player already replaced
        if (FAILED(event->hrEvent)) {
            owner->playFailed(qt_error_string(int(event->hrEvent)).trimmed());
            return;
        }
        switch (event->eEventType) {
        case MFP_EVENT_TYPE_MEDIAITEM_SET:
            player->Play();
            break;
        case MFP_EVENT_TYPE_PLAYBACK_ENDED:
            // Nothing is kept once the clip has ended. The player cannot be
            // shut down from inside its own event.
            QMetaObject::invokeMethod(
                owner,
                [this, ended = player] {
                    if (player == ended)
                        drop();
                },
                Qt::QueuedConnection);
            break;
        default:
            break;
        }
    }
};

ClipPlayer::ClipPlayer(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

ClipPlayer::~ClipPlayer() = default;

bool ClipPlayer::playing() const {
    return out_ && out_->player;
}

QString ClipPlayer::installedDirectory() {
    // The installed clip sits beside the program.
    return QCoreApplication::applicationDirPath();
}

void ClipPlayer::start(const QString& path) {
    if (const QString& missing = mediaFoundation().missing; !missing.isEmpty()) {
        // The box still comes at its time; why it is silent is said once a run.
        static bool said = false;
        if (!std::exchange(said, true))
            playFailed(missing);
        return;
    }
    // A new player for each play, as on the other platforms: a play while the
    // clip plays starts it over, and nothing is held between plays.
    if (!out_) {
        out_ = std::make_unique<Output>();
        out_->owner = this;
    }
    out_->drop();
    HRESULT hr = mediaFoundation().createPlayer(nullptr, FALSE, MFP_OPTION_NONE, out_.get(),
                                                nullptr, &out_->player);
    IMFPMediaItem* item = nullptr;
    if (SUCCEEDED(hr)) {
        // A plain path: Wine's resolver does not open file:// addresses.
        const std::wstring native = QDir::toNativeSeparators(path).toStdWString();
        hr = out_->player->CreateMediaItemFromURL(native.c_str(), TRUE, 0, &item);
    }
    if (SUCCEEDED(hr)) {
        hr = out_->player->SetMediaItem(item); // plays once the item is set
        item->Release();
    }
    if (FAILED(hr)) {
        out_->drop();
        playFailed(qt_error_string(int(hr)).trimmed());
    }
}
