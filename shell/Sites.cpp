#include "Sites.h"

namespace shell {

QString addressOf(Site site) {
    switch (site) {
    case Site::Main:
        return QStringLiteral("http://example.com");
    case Site::Library:
        return QStringLiteral("http://example.org");
    case Site::Seminary:
        return QStringLiteral("http://example.net");
    }
    return {};
}

} // namespace shell
