#pragma once

#include <QByteArray>
#include <QColor>
#include <QString>

#include <optional>

// The skin's definition: sections ("[colors]") of "key = value" lines (see
// resources/standard.skin); '#' and ';' start comments. Colours are #rrggbb,
// sizes whole pixels from 0 to 32.
struct SkinDefinition {
    QString name;
    QColor window, windowText, base, text, disabledText, button, buttonText, highlight,
        highlightedText;
    QColor frameBorder, buttonBorder, buttonHover, buttonPressed;
    int frameRadius = 0;
    int frameWidth = 1;
    int buttonRadius = 0;

    // Parses a definition; on failure returns nothing and says why in *error.
    static std::optional<SkinDefinition> parse(const QByteArray& data, QString* error = nullptr);

    // The style sheet that draws frames, buttons and fields in this skin.
    QString styleSheet() const;
};
