#include "SingleInstance.h"
#include "Startup.h"
#include "platform/Clock.h"
#include "platform/ErrorReport.h"
#include "platform/RegionalFormat.h"
#include "windows/main/Form1.h"

#include <QApplication>
#include <QPointer>

#include <cstdio>

int main(int argc, char* argv[]) {
    if (!app::displayAvailable()) {
        std::fprintf(stderr,
                     "adhan-clock: no display to show the window on (DISPLAY and WAYLAND_DISPLAY "
                     "are not set). Start it from a desktop session, or on a virtual one with: "
                     "xvfb-run -a %s\n",
                     argc > 0 ? argv[0] : "adhan-clock");
        return 2;
    }
    app::prepareEnvironment();
    QApplication application(argc, argv);
    app::setUpApplication(application);
    app::SingleInstance instance;
    if (!instance.claim())
        return 0; // the clock already running here comes to the front instead

    // The main window is the start-up object; it lives until the run ends.
    Form1* main = nullptr;
    try {
        main = new Form1(platform::SystemClock::instance(),
                         platform::RegionalFormat::fromEnvironment());
    } catch (const platform::RuntimeError& e) {
        platform::reportRunTimeError(e);
    }
    main->setAttribute(Qt::WA_DeleteOnClose);
    main->show();
    instance.onRaise([window = QPointer<Form1>(main)](const QByteArray& token) {
        if (!window)
            return;
        if (!token.isEmpty())
            qputenv("XDG_ACTIVATION_TOKEN", token); // Wayland's activation uses it once
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
        window->show();
        window->raise();
        window->activateWindow();
    });
    return QApplication::exec();
}
