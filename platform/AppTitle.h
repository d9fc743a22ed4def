#pragma once

#include <QString>

namespace platform {

// The application's title: the name Qt knows it by, and the title of every
// message that gives none.
inline QString applicationTitle() {
    return QStringLiteral("Project1");
}

} // namespace platform
