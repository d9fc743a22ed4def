#include "AlarmCheck.h"

#include "ClockView.h"
#include "PrayerSlots.h"
#include "components/DispatchIds.h"

namespace prayer {

void AlarmCheck::run() {
    const QString clockText = platform::getStringProperty(view_.clockLabel(), dispid::kLabelText);
    if (started_ && clockText == lastHandled_)
        return;
    started_ = true;
    lastHandled_ = clockText;

    for (int slot = 0; slot < static_cast<int>(kMessages.size()); ++slot) {
        // Binary comparison: same length, same character codes; nothing trimmed
        // or normalised.
        if (view_.fieldText(slot) != clockText)
            continue;
        platform::putProperty(view_.player(), dispid::kPlayerSource, QString::fromUtf16(kClip));
        platform::callMethod(view_.player(), dispid::kPlayerPlay);
        // Waits for the user; ticks (and new checks) go on meanwhile.
        view_.showMessage(QString::fromUtf16(kMessages[static_cast<size_t>(slot)]));
    }
}

} // namespace prayer
