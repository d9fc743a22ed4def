#include "Module1.h"

#include <QStringEncoder>

#include <algorithm>
#include <cstring>

namespace Module1 {

NOTIFYICONDATA nid{};

void setTip(NOTIFYICONDATA& data, const QString& text) {
    const auto n = std::min<qsizetype>(text.size(), shell::kTipLength);
    for (qsizetype i = 0; i < shell::kTipLength; ++i)
        data.szTip[i] = i < n ? text.at(i).unicode() : u' ';
}

QString tip(const NOTIFYICONDATA& data) {
    // The field as it is: fromUtf16 would take a leading U+FEFF or U+FFFE for
    // a byte-order mark.
    return QStringView(data.szTip, shell::kTipLength).toString();
}

shell::NOTIFYICONDATAA toNarrow(const NOTIFYICONDATA& data) {
    shell::NOTIFYICONDATAA narrow{};
    shell::copyHeader(data, narrow);

    // Character by character (a surrogate pair is one character), so that a
    // character whose bytes do not all fit is left out whole.
    const QString wide = tip(data);
    QStringEncoder encode(shell::kSystemCodePage);
    qsizetype used = 0;
    for (qsizetype i = 0; i < wide.size();) {
        const qsizetype len =
            wide.at(i).isHighSurrogate() && i + 1 < wide.size() && wide.at(i + 1).isLowSurrogate()
                ? 2
                : 1;
        const QByteArray bytes = encode(QStringView(wide).mid(i, len));
        if (used + bytes.size() > shell::kTipLength)
            break;
        std::memcpy(narrow.szTip + used, bytes.constData(), size_t(bytes.size()));
        used += bytes.size();
        i += len;
    }
    return narrow;
}

void copyBack(const shell::NOTIFYICONDATAA& narrow, NOTIFYICONDATA& data) {
    shell::copyHeader(narrow, data);
    setTip(data, shell::fromSystem(narrow.szTip, shell::kTipLength));
}

bool Shell_NotifyIcon(std::uint32_t message, NOTIFYICONDATA& data) {
    shell::NOTIFYICONDATAA narrow = toNarrow(data);
    const bool done = shell::notifyIcon(message, &narrow);
    copyBack(narrow, data);
    return done;
}

bool ShellExecute(std::uint32_t owner, const QString& operation, const QString& file,
                  const QString& parameters, const QString& directory, int showCommand) {
    const auto narrow = [](const QString& s) {
        QStringEncoder encode(shell::kSystemCodePage);
        return s.isNull() ? QByteArray() : QByteArray(encode(s));
    };
    const auto pointer = [](const QString& wide, const QByteArray& bytes) {
        return wide.isNull() ? nullptr : bytes.constData();
    };
    const QByteArray op = narrow(operation), f = narrow(file), p = narrow(parameters),
                     d = narrow(directory);
    return shell::execute(owner, pointer(operation, op), pointer(file, f), pointer(parameters, p),
                          pointer(directory, d), showCommand);
}

} // namespace Module1
