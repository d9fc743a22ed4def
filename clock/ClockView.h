#pragma once

#include "platform/Dispatch.h"

#include <QString>

namespace prayer {

// What the refresh tick and the alarm check see of the main window. The
// window supplies the real controls; the tests supply their own.
class ClockView {
public:
    virtual ~ClockView() = default;

    // The editing switch: 0 clear, 1 ticked, 2 greyed.
    virtual int switchValue() const = 0;
    // The time field of slot 0, 1 or 2.
    virtual QString fieldText(int slot) const = 0;
    virtual void setFieldEnabled(int slot, bool enabled) = 0;

    // The clock and date labels and the player, reached by dispatch calls.
    virtual platform::Dispatchable& clockLabel() = 0;
    virtual platform::Dispatchable& dateLabel() = 0;
    virtual platform::Dispatchable& player() = 0;

    // A modal message (OK only, no icon, the application's title); returns
    // when the user has closed it.
    virtual void showMessage(const QString& text) = 0;
};

} // namespace prayer
