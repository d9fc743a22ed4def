#include "Shell.h"

#include "IconHandles.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QHash>
#include <QPointer>
#include <QStringDecoder>
#include <QSystemTrayIcon>
#include <QUrl>

#include <cstring>

namespace shell {

QString fromSystem(const char* text, qsizetype length) {
    QStringDecoder decode(kSystemCodePage, QStringConverter::Flag::ConvertInitialBom);
    return decode(QByteArrayView(text, length));
}

namespace {

// The icons added, by window and id. They stay for the life of the process
// and are never deleted: nothing of the program takes an icon down, and a
// docked icon must not be deleted after the application object is gone.
QHash<quint64, QPointer<QSystemTrayIcon>>& addedIcons() {
    static auto* const icons = new QHash<quint64, QPointer<QSystemTrayIcon>>;
    return *icons;
}

quint64 iconKey(std::uint32_t hWnd, std::uint32_t uID) {
    return (quint64(hWnd) << 32) | uID;
}

// With a notification area, or on X11 where one may appear later and the icon
// docks by itself; elsewhere Qt would only complain on the console.
bool canShowIcons() {
    return QSystemTrayIcon::isSystemTrayAvailable() ||
           QGuiApplication::platformName() == QLatin1String("xcb");
}

} // namespace

bool notifyIcon(std::uint32_t message, NOTIFYICONDATAA* data) {
    if (!data || data->cbSize != kNotifyIconDataSize || message != NIM_ADD)
        return false;
    if (!QCoreApplication::instance())
        return false;
    const quint64 key = iconKey(data->hWnd, data->uID);
    if (addedIcons().contains(key))
        return false;

    auto* icon = new QSystemTrayIcon;
    icon->setObjectName(QStringLiteral("notifyIcon.%1.%2").arg(data->hWnd).arg(data->uID));
    if (data->uFlags & NIF_ICON)
        icon->setIcon(IconHandles::iconOf(data->hIcon));
    if (data->uFlags & NIF_TIP) {
        const void* nul = std::memchr(data->szTip, '\0', sizeof data->szTip);
        const auto length =
            nul ? static_cast<const char*>(nul) - data->szTip : qsizetype(sizeof data->szTip);
        icon->setToolTip(fromSystem(data->szTip, length));
    }
    // Mouse activity would go to data->hWnd as data->uCallbackMessage; the
    // program's windows have no handler for it, so it is not delivered: the
    // icon has no menu and reacts to no click.
    addedIcons().insert(key, icon);
    if (canShowIcons())
        icon->show();
    return true;
}

QSystemTrayIcon* addedIcon(std::uint32_t hWnd, std::uint32_t uID) {
    return addedIcons().value(iconKey(hWnd, uID));
}

bool execute(std::uint32_t /*owner*/, const char* operation, const char* file,
             const char* parameters, const char* /*directory*/, int /*showCommand*/) {
    if (!file || !*file || parameters)
        return false;
    if (operation && std::strcmp(operation, "open") != 0)
        return false;
    const QUrl url(fromSystem(file, qsizetype(std::strlen(file))), QUrl::StrictMode);
    return url.isValid() && QDesktopServices::openUrl(url);
}

} // namespace shell
