#include "WindowHandles.h"

#include "HandleTable.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace platform {

namespace {
using Table = HandleTable<const QWidget*, QPointer<QWidget>>;
Table& table() {
    static Table t(0x00010010);
    return t;
}
} // namespace

std::uint32_t WindowHandles::handleOf(QWidget* window) {
    if (!window)
        return 0;
    const auto [h, given] = table().handleOf(window, window);
    if (given)
        QObject::connect(window, &QObject::destroyed,
                         [h = h, window] { table().remove(h, window); });
    return h;
}

QWidget* WindowHandles::windowOf(std::uint32_t handle) {
    return table().valueOf(handle).data();
}

} // namespace platform
