#include "Startup.h"

#include "platform/AppTitle.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>

#include <algorithm>
#include <cstdio>

namespace app {

void setUpApplication(QApplication& app) {
    QApplication::setApplicationName(platform::applicationTitle());
    QApplication::setApplicationVersion(QStringLiteral(ADHAN_DISPLAY_VERSION)); // CMakeLists.txt
    QApplication::setDesktopFileName(QStringLiteral("com.example.AdhanClock"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/portrait.png")));
    // Menus and message boxes open right-to-left only when the whole
    // application is.
    app.setLayoutDirection(Qt::RightToLeft);
    // Qt's own words too (message boxes' buttons, the fields' context menus)
    // are Arabic, whatever the desktop's language is: Qt's Arabic translation,
    // from translations/ beside the program (Windows) or Qt's own folder.
    auto* qtWords = new QTranslator(&app);
    const QString dirs[] = {
        QDir(QApplication::applicationDirPath()).filePath(QStringLiteral("translations")),
        QLibraryInfo::path(QLibraryInfo::TranslationsPath)};
    if (std::none_of(std::begin(dirs), std::end(dirs), [qtWords](const QString& dir) {
            return qtWords->load(QStringLiteral("qtbase_ar"), dir);
        }))
        std::fprintf(stderr, "adhan-clock: Qt's Arabic translation (qtbase_ar.qm) is not "
                             "installed: Qt's own buttons and menus stay in English\n");
    else
        QApplication::installTranslator(qtWords);

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
