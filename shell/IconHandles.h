#pragma once

#include <QIcon>

#include <cstdint>

namespace shell {

// 32-bit handles for icons, the way windows have theirs: a record passes an
// icon by handle. An icon keeps its handle, and the handle its icon, for the
// rest of the run.
class IconHandles {
public:
    // The handle of an icon, given at its first request; 0 for a null icon.
    static std::uint32_t handleOf(const QIcon& icon);
    // The icon of a handle; a null icon when it names none.
    static QIcon iconOf(std::uint32_t handle);
};

} // namespace shell
