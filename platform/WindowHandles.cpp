#include "WindowHandles.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QWidget>

namespace platform {

namespace {
struct Table {
    QHash<std::uint32_t, QPointer<QWidget>> byHandle;
    QHash<const QWidget*, std::uint32_t> byWindow;
    std::uint32_t next = 0x00010010; // never 0, never a small number by chance
};
Table& table() {
    static Table t;
    return t;
}
} // namespace

std::uint32_t WindowHandles::handleOf(QWidget* window) {
    if (!window)
        return 0;
    Table& t = table();
    auto it = t.byWindow.constFind(window);
    if (it != t.byWindow.constEnd())
        return *it;
    const std::uint32_t h = t.next;
    t.next += 4;
    t.byHandle.insert(h, window);
    t.byWindow.insert(window, h);
    QObject::connect(window, &QObject::destroyed, [h, window] {
        table().byHandle.remove(h);
        table().byWindow.remove(window);
    });
    return h;
}

QWidget* WindowHandles::windowOf(std::uint32_t handle) {
    return table().byHandle.value(handle).data();
}

} // namespace platform
