#include "ErrorReport.h"

#include "MessageBox.h"

#include <QApplication>
#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>

namespace platform {

QString runTimeErrorText(const RuntimeError& e) {
    return QStringLiteral("Run-time error '%1':\n\n%2").arg(e.number()).arg(e.description());
}

void reportRunTimeError(const RuntimeError& e) {
    const QByteArray line =
        runTimeErrorText(e).replace(QStringLiteral("\n\n"), QStringLiteral(" ")).toUtf8();
    std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()),
                 line.constData());
    std::fflush(stderr);
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        messageBox(nullptr, runTimeErrorText(e));
    // The run ends here, from inside whatever handler failed: no clean-up
    // runs, as nothing can be trusted after a failed call.
    std::fflush(nullptr);
    std::_Exit(kRunTimeErrorExitStatus);
}

} // namespace platform
