#include "Dispatch.h"

#include "RuntimeError.h"

namespace platform {

QVariant dispatch(Dispatchable& target, std::int32_t id, CallKind kind, const QVariantList& args) {
    DispatchResult r = target.invoke(id, kind, args);
    if (!r.ok())
        throw RuntimeError::fromDispatch(r.error);
    return r.value;
}

RuntimeError::RuntimeError(int number, const QString& description)
    : std::runtime_error(description.toStdString()), number_(number), description_(description) {}

RuntimeError RuntimeError::fromDispatch(DispatchError e) {
    switch (e) {
    case DispatchError::MemberNotFound:
        return {438, QStringLiteral("Object doesn't support this property or method")};
    case DispatchError::BadParamCount:
        return {450, QStringLiteral("Wrong number of arguments or invalid property assignment")};
    case DispatchError::TypeMismatch:
        return {13, QStringLiteral("Type mismatch")};
    case DispatchError::InvalidArgument:
    case DispatchError::None:
        break;
    }
    return {5, QStringLiteral("Invalid procedure call or argument")};
}

} // namespace platform
