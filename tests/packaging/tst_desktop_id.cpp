// The program names its desktop entry to Qt: under Wayland that name is the
// window's app id, by which the desktop finds the entry's name and icon. It
// must be the name the entry is installed under.

#include "app/Startup.h"

#include <QApplication>
#include <QFileInfo>
#include <QtTest>

class DesktopIdTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void namesTheInstalledEntry() {
        auto* application = qobject_cast<QApplication*>(QCoreApplication::instance());
        QVERIFY(application);
        app::setUpApplication(*application);

        QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral(ADHAN_APP_ID));
        const QString entry = qEnvironmentVariable("ADHAN_SOURCE_DIR") +
                              QStringLiteral("/desktop/" ADHAN_APP_ID ".desktop");
        QVERIFY2(QFileInfo(entry).isFile(), qPrintable(entry + QStringLiteral(" is missing")));
    }
};

QTEST_MAIN(DesktopIdTest)
#include "tst_desktop_id.moc"
