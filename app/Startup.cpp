#include "Startup.h"

#include "platform/AppTitle.h"

#include <QApplication>
#include <QFont>
#include <QIcon>

namespace app {

void setUpApplication(QApplication& app) {
    QApplication::setApplicationName(platform::applicationTitle());
    QApplication::setApplicationVersion(QStringLiteral(ADHAN_DISPLAY_VERSION)); // CMakeLists.txt
    QApplication::setDesktopFileName(QStringLiteral("com.example.AdhanClock"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/portrait.png")));
    // Menus and message boxes open right-to-left only when the whole
    // application is.
    app.setLayoutDirection(Qt::RightToLeft);

    // The windows name the faces they were drawn with; these are the faces
    // here that look and measure alike.
    QFont::insertSubstitutions(QStringLiteral("Simplified Arabic"),
                               {QStringLiteral("Amiri"), QStringLiteral("Noto Naskh Arabic")});
    QFont::insertSubstitutions(
        QStringLiteral("Times New Roman"),
        {QStringLiteral("Liberation Serif"), QStringLiteral("Noto Naskh Arabic")});
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Noto Sans"), QStringLiteral("Noto Sans Arabic")});
}

} // namespace app
