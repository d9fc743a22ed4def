#pragma once

#include "SkinDefinition.h"
#include "platform/Dispatch.h"

#include <QWidget>

#include <optional>

// The skin instance a window carries in its layout data. Invisible itself;
// applied to a window by that window's handle, it draws the window in the skin
// it holds (palette, frames, buttons).
class WindowSkin : public QWidget, public platform::Dispatchable {
    Q_OBJECT
    Q_PROPERTY(QString definition READ definition WRITE setDefinition)
public:
    explicit WindowSkin(QWidget* parent = nullptr);

    // Where the skin definition is read from (a file or a resource path).
    QString definition() const { return path_; }
    // Loads the definition; a missing or malformed one is a run-time error.
    void setDefinition(const QString& path);

    const std::optional<SkinDefinition>& skin() const { return skin_; }

    platform::DispatchResult invoke(std::int32_t id, platform::CallKind kind,
                                    const QVariantList& args) override;

private:
    void applyTo(QWidget* window) const;

    QString path_;
    std::optional<SkinDefinition> skin_;
};
