// The skin definition parser on any bytes: it either returns a complete skin
// (a name, every colour, sizes in range) or says on which line it stopped.

#include "FuzzCheck.h"
#include "components/SkinDefinition.h"

#include <QByteArray>
#include <QRegularExpression>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QString error;
    const std::optional<SkinDefinition> skin = SkinDefinition::parse(bytes, &error);
    if (!skin) {
        static const QRegularExpression why(QStringLiteral("^line \\d+: .+"));
        fuzzCheck(why.match(error).hasMatch(), "a refused definition says where and why");
        return 0;
    }
    fuzzCheck(error.isEmpty(), "an accepted definition has no error");
    fuzzCheck(!skin->name.isEmpty(), "an accepted skin has a name");
    for (const QColor* c :
         {&skin->window, &skin->windowText, &skin->base, &skin->text, &skin->disabledText,
          &skin->button, &skin->buttonText, &skin->highlight, &skin->highlightedText,
          &skin->frameBorder, &skin->buttonBorder, &skin->buttonHover, &skin->buttonPressed})
        fuzzCheck(c->isValid(), "an accepted skin has every colour");
    for (int n : {skin->frameRadius, skin->frameWidth, skin->buttonRadius})
        fuzzCheck(n >= 0 && n <= 32, "sizes are from 0 to 32");
    const QString sheet = skin->styleSheet();
    fuzzCheck(sheet.startsWith(QStringLiteral("QGroupBox {")) && !sheet.contains(u'%'),
              "the style sheet has every value filled in");
    return 0;
}
