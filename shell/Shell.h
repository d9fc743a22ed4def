#pragma once

#include <QString>
#include <QStringConverter>

#include <cstdint>

class QSystemTrayIcon;

// The desktop shell as the program calls it: narrow strings in the system
// code page, windows and icons by their 32-bit handles.
namespace shell {

// The system code page, as far as the program and its shell are concerned:
// UTF-8, on every platform. It is the active code page the Windows program
// declares in its manifest, and the only one that holds the program's Arabic
// whatever a Windows machine's language for non-Unicode programs is (an
// English Windows's code page 1252 would turn "نيسمور" into question marks).
constexpr QStringConverter::Encoding kSystemCodePage = QStringConverter::Utf8;

// Text in the system code page as the program's wide text. A leading
// byte-order mark is text like any other here.
QString fromSystem(const char* text, qsizetype length);

// Notification messages.
constexpr std::uint32_t NIM_ADD = 0;

// Which fields of a notification record are meant.
constexpr std::uint32_t NIF_MESSAGE = 1;
constexpr std::uint32_t NIF_ICON = 2;
constexpr std::uint32_t NIF_TIP = 4;

// Length of a record's tip field, in characters of the record's form.
constexpr int kTipLength = 64;

// The notification record: its header fields, then the tip in characters of
// the record's form.
template <typename Char> struct NotifyIconRecord {
    std::uint32_t cbSize;
    std::uint32_t hWnd;
    std::uint32_t uID;
    std::uint32_t uFlags;
    std::uint32_t uCallbackMessage;
    std::uint32_t hIcon;
    Char szTip[kTipLength];
};

// Copies the header fields from one form of the record to another; the tip
// is left to the caller, who knows how to convert it.
template <typename From, typename To>
void copyHeader(const NotifyIconRecord<From>& from, NotifyIconRecord<To>& to) {
    to.cbSize = from.cbSize;
    to.hWnd = from.hWnd;
    to.uID = from.uID;
    to.uFlags = from.uFlags;
    to.uCallbackMessage = from.uCallbackMessage;
    to.hIcon = from.hIcon;
}

// The record in its narrow, 88-byte form: what the shell reads.
using NOTIFYICONDATAA = NotifyIconRecord<char>;
constexpr std::uint32_t kNotifyIconDataSize = 88;
static_assert(sizeof(NOTIFYICONDATAA) == kNotifyIconDataSize);

// Puts an icon into the desktop's notification area (NIM_ADD only): the icon
// hIcon with the tip up to its first NUL, kept for the life of the process.
// Clicks reach no handler and do nothing. False for a record of another size,
// another message, or an icon already added for this window and id.
bool notifyIcon(std::uint32_t message, NOTIFYICONDATAA* data);

// The icon added for a window and id, or nullptr.
QSystemTrayIcon* addedIcon(std::uint32_t hWnd, std::uint32_t uID);

// Show commands.
constexpr int SW_SHOWNORMAL = 1;

// Opens `file` (a web address) the desktop's way, through Qt: xdg-open with
// the address as one argument (no shell), or the desktop portal inside a
// sandbox, with an activation token on Wayland. Returns at once. `operation`
// is "open" or null; `parameters` must be null. The owner window, directory
// and show command mean nothing to the desktop's opener and are taken as given.
// Returns whether the desktop took the address.
bool execute(std::uint32_t owner, const char* operation, const char* file, const char* parameters,
             const char* directory, int showCommand);

} // namespace shell
