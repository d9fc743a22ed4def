#include "Actions.h"

#include "IconHandles.h"
#include "Module1.h"
#include "platform/MessageBox.h"
#include "platform/WindowHandles.h"

#include <QWidget>

namespace shell {

namespace {
constexpr std::uint32_t kIconId = 1;
constexpr std::uint32_t WM_MOUSEMOVE = 0x200;
} // namespace

QString iconTip() {
    return QStringLiteral("نيسمور");
}

void registerIcon(QWidget* window) {
    Module1::NOTIFYICONDATA& nid = Module1::nid;
    nid.cbSize = kNotifyIconDataSize;
    nid.hWnd = platform::WindowHandles::handleOf(window);
    nid.uID = kIconId;
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = WM_MOUSEMOVE;
    nid.hIcon = IconHandles::handleOf(window ? window->windowIcon() : QIcon());
    // The name, ended by a NUL; the field fills up with spaces behind it.
    Module1::setTip(nid, iconTip() + QChar(u'\0'));
    Module1::Shell_NotifyIcon(NIM_ADD, nid);
}

void openLink(std::uint32_t owner, Site site) {
    Module1::ShellExecute(owner, QStringLiteral("open"), addressOf(site), QString(), QString(),
                          SW_SHOWNORMAL);
}

QString farewellText() {
    return QStringLiteral("الدرفاني يتمنى لكم الفائدة ويسألكم الدعاء");
}

QString farewellTitle() {
    return QStringLiteral("مكتبة الدرفاني للمعلومات الدينية");
}

void farewell(QWidget* parent) {
    platform::messageBox(parent, farewellText(), farewellTitle());
    endAtOnce();
}

} // namespace shell
