#pragma once

#include "Dispatch.h"

#include <QString>

#include <stdexcept>

namespace platform {

// A failure that ends the run: what the platform reports as a run-time error,
// with its number and description.
class RuntimeError : public std::runtime_error {
public:
    RuntimeError(int number, const QString& description);

    int number() const { return number_; }
    QString description() const { return description_; }

    static RuntimeError fromDispatch(DispatchError e);

private:
    int number_;
    QString description_;
};

} // namespace platform
