#include "RegionalFormat.h"

namespace platform {

QString RegionalFormat::languageOf(const QString& posixName) {
    // language[_territory][.codeset][@modifier]
    qsizetype end = posixName.size();
    for (QChar stop : {QChar(u'_'), QChar(u'.'), QChar(u'@')}) {
        const qsizetype i = posixName.indexOf(stop);
        if (i >= 0 && i < end)
            end = i;
    }
    const QString lang = posixName.left(end).toLower();
    for (QChar ch : lang) {
        if (ch < u'a' || ch > u'z')
            return {};
    }
    return lang == u"c" || lang == u"posix" ? QString() : lang;
}

} // namespace platform
