#include "Startup.h"

namespace app {

void prepareEnvironment() {}

// A Windows session always has its desktop.
bool displayAvailable() {
    return true;
}

} // namespace app
