#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>

#include <cstdint>

namespace platform {

// How a late-bound call is meant: run a method, read a property, or write one.
enum class CallKind { Method, PropertyGet, PropertyPut };

// Why a component refused a call. Each maps to one run-time error number.
enum class DispatchError {
    None,
    MemberNotFound,  // no member with that id, or not of that kind
    BadParamCount,   // wrong number of arguments
    TypeMismatch,    // an argument of the wrong type
    InvalidArgument, // right type, unusable value
};

struct DispatchResult {
    DispatchError error = DispatchError::None;
    QVariant value;

    bool ok() const { return error == DispatchError::None; }
    static DispatchResult success(QVariant v = {}) { return {DispatchError::None, std::move(v)}; }
    static DispatchResult failure(DispatchError e) { return {e, {}}; }
};

// Anything that answers late-bound calls by dispatch id.
class Dispatchable {
public:
    virtual ~Dispatchable() = default;
    virtual DispatchResult invoke(std::int32_t id, CallKind kind, const QVariantList& args) = 0;
};

// Calls `id` on `target` and turns a reported failure into a RuntimeError (thrown).
// The program never swallows a failed component call.
QVariant dispatch(Dispatchable& target, std::int32_t id, CallKind kind,
                  const QVariantList& args = {});

// Helpers for the common shapes of a call.
inline void putProperty(Dispatchable& t, std::int32_t id, const QVariant& v) {
    dispatch(t, id, CallKind::PropertyPut, {v});
}
inline QString getStringProperty(Dispatchable& t, std::int32_t id) {
    return dispatch(t, id, CallKind::PropertyGet).toString();
}
inline void callMethod(Dispatchable& t, std::int32_t id, const QVariantList& args = {}) {
    dispatch(t, id, CallKind::Method, args);
}

} // namespace platform
