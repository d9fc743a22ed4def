#include "IconHandles.h"

#include <QHash>

namespace shell {

namespace {
struct Table {
    QHash<std::uint32_t, QIcon> byHandle;
    QHash<qint64, std::uint32_t> byKey;
    std::uint32_t next = 0x00020010; // never 0, and apart from the window handles
};
// Icons live as long as the process: the table is never torn down, so no
// icon is released after the application that drew it.
Table& table() {
    static Table* const t = new Table;
    return *t;
}
} // namespace

std::uint32_t IconHandles::handleOf(const QIcon& icon) {
    if (icon.isNull())
        return 0;
    Table& t = table();
    const qint64 key = icon.cacheKey();
    auto it = t.byKey.constFind(key);
    if (it != t.byKey.constEnd())
        return *it;
    const std::uint32_t h = t.next;
    t.next += 4;
    t.byHandle.insert(h, icon);
    t.byKey.insert(key, h);
    return h;
}

QIcon IconHandles::iconOf(std::uint32_t handle) {
    return table().byHandle.value(handle);
}

} // namespace shell
