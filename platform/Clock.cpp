#include "Clock.h"

namespace platform {

SystemClock& SystemClock::instance() {
    static SystemClock c;
    return c;
}

} // namespace platform
