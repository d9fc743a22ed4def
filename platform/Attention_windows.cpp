#include "Attention.h"

#include <QWidget>

#include <windows.h>

namespace platform {

void askForAttention(QWidget* window) {
    // The taskbar button the user sees for the window: its own, or its
    // owner's. It flashes until that window comes to the foreground (Qt's
    // alert flashes a few times only), and stops when the window goes.
    const auto hwnd = reinterpret_cast<HWND>(window->winId());
    if (GetForegroundWindow() == hwnd)
        return;
    HWND button = GetAncestor(hwnd, GA_ROOTOWNER);
    FLASHWINFO flash{sizeof flash, button, FLASHW_ALL | FLASHW_TIMERNOFG, 0, 0};
    FlashWindowEx(&flash);
    QObject::connect(window, &QObject::destroyed, [button] {
        FLASHWINFO stop{sizeof stop, button, FLASHW_STOP, 0, 0};
        FlashWindowEx(&stop);
    });
}

} // namespace platform
