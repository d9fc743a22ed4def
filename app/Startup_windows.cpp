#include "Startup.h"

#include <QByteArray>

namespace app {

void prepareEnvironment() {
    // Text is drawn through DirectWrite, the engine later Qt versions use by
    // default. Qt 6.4's older GDI engine leaves the time fields blank under
    // Wine (the labels beside them in the same face draw).
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArray("windows:fontengine=directwrite"));
}

// A Windows session always has its desktop.
bool displayAvailable() {
    return true;
}

} // namespace app
