#include "SkinDefinition.h"

#include <QHash>
#include <QList>

namespace {

// Where each known key of each section lands.
struct Target {
    QColor SkinDefinition::*color = nullptr;
    int SkinDefinition::*size = nullptr;
};

const QHash<QString, Target>& targets() {
    static const QHash<QString, Target> t{
        {QStringLiteral("colors.window"), {&SkinDefinition::window, nullptr}},
        {QStringLiteral("colors.window-text"), {&SkinDefinition::windowText, nullptr}},
        {QStringLiteral("colors.base"), {&SkinDefinition::base, nullptr}},
        {QStringLiteral("colors.text"), {&SkinDefinition::text, nullptr}},
        {QStringLiteral("colors.disabled-text"), {&SkinDefinition::disabledText, nullptr}},
        {QStringLiteral("colors.button"), {&SkinDefinition::button, nullptr}},
        {QStringLiteral("colors.button-text"), {&SkinDefinition::buttonText, nullptr}},
        {QStringLiteral("colors.highlight"), {&SkinDefinition::highlight, nullptr}},
        {QStringLiteral("colors.highlighted-text"), {&SkinDefinition::highlightedText, nullptr}},
        {QStringLiteral("frame.border"), {&SkinDefinition::frameBorder, nullptr}},
        {QStringLiteral("frame.radius"), {nullptr, &SkinDefinition::frameRadius}},
        {QStringLiteral("frame.width"), {nullptr, &SkinDefinition::frameWidth}},
        {QStringLiteral("button.border"), {&SkinDefinition::buttonBorder, nullptr}},
        {QStringLiteral("button.hover"), {&SkinDefinition::buttonHover, nullptr}},
        {QStringLiteral("button.pressed"), {&SkinDefinition::buttonPressed, nullptr}},
        {QStringLiteral("button.radius"), {nullptr, &SkinDefinition::buttonRadius}},
    };
    return t;
}

bool fail(QString* error, int line, const QString& why) {
    if (error)
        *error = QStringLiteral("line %1: %2").arg(line).arg(why);
    return false;
}

bool parseColor(const QString& v, QColor* out) {
    if (v.size() != 7 || v[0] != u'#')
        return false;
    bool ok = false;
    const uint rgb = v.mid(1).toUInt(&ok, 16);
    if (!ok)
        return false;
    *out = QColor::fromRgb(rgb);
    return true;
}

} // namespace

std::optional<SkinDefinition> SkinDefinition::parse(const QByteArray& data, QString* error) {
    SkinDefinition d;
    QString section;
    const QList<QByteArray> lines = data.split('\n');
    if (lines.size() > 10000) {
        fail(error, 0, QStringLiteral("too many lines"));
        return std::nullopt;
    }
    int lineNo = 0;
    for (const QByteArray& raw : lines) {
        ++lineNo;
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(u'#') || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[')) {
            if (!line.endsWith(u']') || line.size() < 3) {
                fail(error, lineNo, QStringLiteral("malformed section header"));
                return std::nullopt;
            }
            section = line.mid(1, line.size() - 2).trimmed().toLower();
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0) {
            fail(error, lineNo, QStringLiteral("expected key = value"));
            return std::nullopt;
        }
        const QString key = line.left(eq).trimmed().toLower();
        const QString value = line.mid(eq + 1).trimmed();
        if (section == u"skin" && key == u"name") {
            d.name = value;
            continue;
        }
        const auto it = targets().constFind(section + u'.' + key);
        if (it == targets().constEnd()) {
            fail(error, lineNo, QStringLiteral("unknown key %1.%2").arg(section, key));
            return std::nullopt;
        }
        if (it->color) {
            if (!parseColor(value, &(d.*(it->color)))) {
                fail(error, lineNo, QStringLiteral("bad colour '%1'").arg(value));
                return std::nullopt;
            }
        } else {
            bool ok = false;
            const int n = value.toInt(&ok);
            if (!ok || n < 0 || n > 32) {
                fail(error, lineNo, QStringLiteral("bad size '%1'").arg(value));
                return std::nullopt;
            }
            d.*(it->size) = n;
        }
    }
    if (d.name.isEmpty()) {
        fail(error, lineNo, QStringLiteral("the skin has no name"));
        return std::nullopt;
    }
    for (const QColor* c : {&d.window, &d.windowText, &d.base, &d.text, &d.disabledText, &d.button,
                            &d.buttonText, &d.highlight, &d.highlightedText, &d.frameBorder,
                            &d.buttonBorder, &d.buttonHover, &d.buttonPressed}) {
        if (!c->isValid()) {
            fail(error, lineNo, QStringLiteral("a colour is missing"));
            return std::nullopt;
        }
    }
    return d;
}

QString SkinDefinition::styleSheet() const {
    const auto c = [](const QColor& col) { return col.name(QColor::HexRgb); };
    return QStringLiteral(
               "QGroupBox { border: %1px solid %2; border-radius: %3px; margin-top: 0px; }\n"
               "QPushButton { background: %4; color: %5; border: 1px solid %6;"
               " border-radius: %7px; padding: 0px 2px; }\n"
               "QPushButton:hover { background: %8; }\n"
               "QPushButton:pressed { background: %9; }\n"
               "QPushButton:focus { border: 1px solid %10; }\n"
               "QLineEdit:disabled { color: %11; }\n")
        .arg(frameWidth)
        .arg(c(frameBorder))
        .arg(frameRadius)
        .arg(c(button), c(buttonText), c(buttonBorder))
        .arg(buttonRadius)
        .arg(c(buttonHover), c(buttonPressed), c(highlight))
        .arg(c(disabledText));
}
