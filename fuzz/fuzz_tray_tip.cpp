// The tray tip's narrow copy: any wide tip is cut to its 64 characters, and
// its narrow copy in the system code page holds whole characters only, with
// NUL after them; any narrow tip read back fills the 64 characters again.
//
// Input: the first byte chooses the way; the rest is the wide tip (UTF-16,
// two bytes a character) or the narrow tip (bytes).

#include "FuzzCheck.h"
#include "shell/Module1.h"

#include <QStringDecoder>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

// What a fixed field of 64 characters holds: the text cut or filled with spaces.
QString field(const QString& text) {
    return text.left(shell::kTipLength).leftJustified(shell::kTipLength, u' ');
}

// The system code page's text of some bytes, taken as they are (a byte-order
// mark is a character like any other).
QString narrowText(QByteArrayView bytes) {
    QStringDecoder decode(QStringConverter::System, QStringConverter::Flag::ConvertInitialBom);
    return decode(bytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    Module1::NOTIFYICONDATA record{};
    const std::uint8_t* rest = data + 1;
    const std::size_t restSize = size - 1;

    if (data[0] & 1) {
        // From the shell's side: a narrow tip of any bytes.
        shell::NOTIFYICONDATAA narrow{};
        std::memcpy(narrow.szTip, rest, std::min<std::size_t>(restSize, shell::kTipLength));
        Module1::copyBack(narrow, record);
        fuzzCheck(Module1::tip(record) ==
                      field(narrowText(QByteArrayView(narrow.szTip, shell::kTipLength))),
                  "the shell's tip read back is its text in 64 characters");
        return 0;
    }

    QString wide;
    for (std::size_t i = 0; i + 1 < restSize; i += 2)
        wide += QChar(static_cast<char16_t>(rest[i] | rest[i + 1] << 8));
    Module1::setTip(record, wide);
    const QString tip = Module1::tip(record);
    fuzzCheck(tip == field(wide), "the tip is the text in 64 characters");

    const shell::NOTIFYICONDATAA narrow = Module1::toNarrow(record);
    const QByteArrayView bytes(narrow.szTip, shell::kTipLength);
    qsizetype used = shell::kTipLength;
    while (used > 0 && bytes[used - 1] == '\0')
        --used;
    fuzzCheck(!bytes.first(used).contains('\0') || tip.contains(QChar(u'\0')),
              "NUL only after the copy, or where the tip has one");
    // Whole characters: the copy is the start of the tip.
    bool wellFormed = true;
    for (qsizetype i = 0; i < tip.size(); ++i) {
        if (tip[i].isSurrogate() &&
            !(tip[i].isHighSurrogate() && i + 1 < tip.size() && tip[i + 1].isLowSurrogate()) &&
            !(tip[i].isLowSurrogate() && i > 0 && tip[i - 1].isHighSurrogate()))
            wellFormed = false;
    }
    if (wellFormed)
        fuzzCheck(tip.startsWith(narrowText(bytes.first(used))),
                  "the copy is the start of the tip, no character cut in half");
    Module1::NOTIFYICONDATA again{};
    Module1::copyBack(narrow, again);
    fuzzCheck(Module1::tip(again).size() == shell::kTipLength, "read back, 64 characters");
    return 0;
}
