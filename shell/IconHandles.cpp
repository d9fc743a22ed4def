#include "IconHandles.h"

#include "platform/HandleTable.h"

namespace shell {

namespace {
// Apart from the window handles.
using Table = platform::HandleTable<qint64, QIcon>;
// Icons live as long as the process: the table is never torn down, so no
// icon is released after the application that drew it.
Table& table() {
    static Table* const t = new Table(0x00020010);
    return *t;
}
} // namespace

std::uint32_t IconHandles::handleOf(const QIcon& icon) {
    if (icon.isNull())
        return 0;
    return table().handleOf(icon.cacheKey(), icon).first;
}

QIcon IconHandles::iconOf(std::uint32_t handle) {
    return table().valueOf(handle);
}

} // namespace shell
