#include "WindowSkin.h"

#include "DispatchIds.h"
#include "platform/RuntimeError.h"
#include "platform/WindowHandles.h"

#include <QFile>
#include <QPalette>

using platform::CallKind;
using platform::DispatchError;
using platform::DispatchResult;

WindowSkin::WindowSkin(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_DontShowOnScreen);
    setFocusPolicy(Qt::NoFocus);
    QWidget::setVisible(false);
}

void WindowSkin::setDefinition(const QString& path) {
    path_ = path;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw platform::RuntimeError(
            53,
            QStringLiteral("File not found: skin definition %1 (%2)").arg(path, f.errorString()));
    QString why;
    skin_ = SkinDefinition::parse(f.read(1 << 20), &why);
    if (!skin_)
        throw platform::RuntimeError(
            5, QStringLiteral("Invalid skin definition %1: %2").arg(path, why));
}

DispatchResult WindowSkin::invoke(std::int32_t id, CallKind kind, const QVariantList& args) {
    if (id != dispid::kSkinApply || kind != CallKind::Method)
        return DispatchResult::failure(DispatchError::MemberNotFound);
    if (args.size() != 1)
        return DispatchResult::failure(DispatchError::BadParamCount);
    const int type = args.front().typeId();
    if (type != QMetaType::Int && type != QMetaType::UInt)
        return DispatchResult::failure(DispatchError::TypeMismatch);
    QWidget* window = platform::WindowHandles::windowOf(args.front().toUInt());
    if (!window || !skin_)
        return DispatchResult::failure(DispatchError::InvalidArgument);
    applyTo(window);
    return DispatchResult::success();
}

void WindowSkin::applyTo(QWidget* window) const {
    const SkinDefinition& s = *skin_;
    QPalette p = window->palette();
    p.setColor(QPalette::Window, s.window);
    p.setColor(QPalette::WindowText, s.windowText);
    p.setColor(QPalette::Base, s.base);
    p.setColor(QPalette::Text, s.text);
    // Read-only prayer times stay easy to read.
    p.setColor(QPalette::Disabled, QPalette::Text, s.disabledText);
    p.setColor(QPalette::Button, s.button);
    p.setColor(QPalette::ButtonText, s.buttonText);
    p.setColor(QPalette::Highlight, s.highlight);
    p.setColor(QPalette::HighlightedText, s.highlightedText);
    p.setColor(QPalette::ToolTipBase, s.base);
    p.setColor(QPalette::ToolTipText, s.text);
    window->setPalette(p);
    window->setAutoFillBackground(true);
    window->setStyleSheet(s.styleSheet());
}
