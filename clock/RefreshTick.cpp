#include "RefreshTick.h"

#include "ClockView.h"
#include "PrayerSlots.h"
#include "components/DispatchIds.h"
#include "platform/Clock.h"
#include "platform/RegionalFormat.h"

namespace prayer {

void refreshTick(ClockView& view, const platform::Clock& clock,
                 const platform::RegionalFormat& format) {
    for (int slot = 0; slot < static_cast<int>(kMessages.size()); ++slot)
        view.setFieldEnabled(slot, view.switchValue() == 1);

    // One reading of the clock for both labels, so the date and time agree
    // across midnight.
    const QDateTime now = clock.now();
    platform::putProperty(view.clockLabel(), dispid::kLabelText, format.longTime(now.time()));
    platform::putProperty(view.dateLabel(), dispid::kLabelText, format.shortDate(now.date()));
}

} // namespace prayer
