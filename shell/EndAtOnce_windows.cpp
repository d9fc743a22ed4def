#include "Actions.h"

#include <cstdio>
#include <cstdlib>

#include <windows.h>

namespace shell {

void endAtOnce() {
    std::fflush(nullptr);
    // Not ExitProcess (nor _Exit, which calls it): that still runs the
    // libraries' own clean-up, which takes Qt's objects down under the live
    // window and icon and crashes.
    TerminateProcess(GetCurrentProcess(), 0);
    std::_Exit(0); // should the system refuse
}

} // namespace shell
