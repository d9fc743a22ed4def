#include "SkinnedLabel.h"

#include "DispatchIds.h"

using platform::CallKind;
using platform::DispatchError;
using platform::DispatchResult;

SkinnedLabel::SkinnedLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignCenter);
}

DispatchResult SkinnedLabel::invoke(std::int32_t id, CallKind kind, const QVariantList& args) {
    if (id != dispid::kLabelText || kind == CallKind::Method)
        return DispatchResult::failure(DispatchError::MemberNotFound);
    if (kind == CallKind::PropertyGet) {
        if (!args.isEmpty())
            return DispatchResult::failure(DispatchError::BadParamCount);
        return DispatchResult::success(text());
    }
    if (args.size() != 1)
        return DispatchResult::failure(DispatchError::BadParamCount);
    if (args.front().typeId() != QMetaType::QString)
        return DispatchResult::failure(DispatchError::TypeMismatch);
    setText(args.front().toString());
    // A label whose layout gives it a name (the clock, the date) tells a
    // screen reader what it is and then what it shows.
    if (!captionTaken_) {
        captionTaken_ = true;
        caption_ = accessibleName();
    }
    if (!caption_.isEmpty())
        setAccessibleName(caption_ + u' ' + text());
    return DispatchResult::success();
}
