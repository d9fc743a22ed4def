#pragma once

#include "platform/Dispatch.h"

#include <QLabel>

// A text label of the skin: its text is its default property.
class SkinnedLabel : public QLabel, public platform::Dispatchable {
    Q_OBJECT
public:
    explicit SkinnedLabel(QWidget* parent = nullptr);

    platform::DispatchResult invoke(std::int32_t id, platform::CallKind kind,
                                    const QVariantList& args) override;

private:
    QString caption_;
    bool captionTaken_ = false;
};
