// The main window drawn on a real X display: a screenshot taken from the
// server, kept under the build tree, and inspected.

#include "app/Startup.h"
#include "platform/RegionalFormat.h"
#include "platform/SecondBeat.h"
#include "tests/support/TestSupport.h"
#include "windows/main/Form1.h"

#include <QDir>
#include <QFontInfo>
#include <QGuiApplication>
#include <QRawFont>
#include <QScreen>
#include <QtTest>

namespace {

// The box around the pixels in `area` that differ clearly from its own background
// (the colour of its corner pixels).
QRect inkBox(const QImage& img, const QRect& area) {
    const QRect a = area.intersected(img.rect());
    const QRgb bg = img.pixel(a.topLeft() + QPoint(2, a.height() / 2));
    QRect box;
    for (int y = a.top(); y <= a.bottom(); ++y) {
        for (int x = a.left(); x <= a.right(); ++x) {
            const QRgb p = img.pixel(x, y);
            const int d = qAbs(qRed(p) - qRed(bg)) + qAbs(qGreen(p) - qGreen(bg)) +
                          qAbs(qBlue(p) - qBlue(bg));
            if (d > 120)
                box = box.united(QRect(x, y, 1, 1));
        }
    }
    return box;
}

int distinctColours(const QImage& img) {
    QSet<QRgb> colours;
    for (int y = 0; y < img.height(); y += 2)
        for (int x = 0; x < img.width(); x += 2)
            colours.insert(img.pixel(x, y));
    return static_cast<int>(colours.size());
}

} // namespace

class MainWindowScreenTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        app::setUpApplication(*qApp);
    }

    void screenshot() {
        testing::FakeClock clock(QDateTime(QDate(2024, 3, 15), QTime(17, 18, 5)));
        platform::SecondBeat beat(clock);
        Form1 window(clock, platform::RegionalFormat::forLocale(QStringLiteral("ar_SA.UTF-8")));
        window.setBeat(&beat);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const auto& c = window.controls();
        QTRY_COMPARE(c.time1->text(), QStringLiteral("05:18:05 م"));
        QTest::qWait(200); // let the X server finish drawing

        const QImage shot = window.screen()
                                ->grabWindow(window.winId())
                                .toImage()
                                .convertToFormat(QImage::Format_RGB32);
        QVERIFY(!shot.isNull());
        const QString dir = testing::buildDir() + QStringLiteral("/artifacts");
        QDir().mkpath(dir);
        const qreal dpr = shot.devicePixelRatio();
        QVERIFY(shot.save(dir + (dpr == 1 ? QStringLiteral("/main-window.png")
                                          : QStringLiteral("/main-window@%1x.png").arg(dpr))));
        // On a scaled screen everything grows in proportion.
        QCOMPARE(dpr, qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")).toDouble());
        QCOMPARE(shot.size(), window.size() * dpr);

        // Not blank: a drawn window has many colours (text is anti-aliased).
        QVERIFY2(distinctColours(shot) > 50, "the window looks blank");

        auto rectOf = [&](QWidget* w) {
            const QRect r(w->mapTo(&window, QPoint(0, 0)), w->size());
            return QRect((r.topLeft() * dpr), r.size() * dpr);
        };

        // The Arabic faces asked for resolve to real Arabic faces that have the glyphs.
        for (QWidget* w : {static_cast<QWidget*>(c.Command3), static_cast<QWidget*>(c.SkinLabel1),
                           static_cast<QWidget*>(c.Text1), static_cast<QWidget*>(c.SkinLabel4)}) {
            const QString family = QFontInfo(w->font()).family();
            QVERIFY2(family.contains(QStringLiteral("Arabic")) ||
                         family == QStringLiteral("Amiri") || family == QStringLiteral("Noto Sans"),
                     qPrintable(family));
        }
        QVERIFY(QRawFont::fromFont(c.SkinLabel1->font(), QFontDatabase::Arabic)
                    .supportsCharacter(u'\u0635'));

        // Every label and field shows ink inside its own box.
        for (QWidget* w : {static_cast<QWidget*>(c.SkinLabel1), static_cast<QWidget*>(c.SkinLabel2),
                           static_cast<QWidget*>(c.SkinLabel3), static_cast<QWidget*>(c.SkinLabel4),
                           static_cast<QWidget*>(c.time1), static_cast<QWidget*>(c.date1),
                           static_cast<QWidget*>(c.Text1), static_cast<QWidget*>(c.Text3)}) {
            const QRect ink = inkBox(shot, rectOf(w).adjusted(2, 2, -2, -2));
            QVERIFY2(ink.width() > 10 && ink.height() > 5, qPrintable(w->objectName()));
        }

        // The verse sits on one line inside its banner, clipped at neither end.
        const QRect banner = rectOf(c.Command3);
        const QRect verse = inkBox(shot, banner.adjusted(3, 3, -3, -3));
        QVERIFY(verse.width() > banner.width() / 2);
        const int lineHeight = QFontMetrics(c.Command3->font()).height();
        QVERIFY2(verse.height() <= lineHeight * dpr * 1.3, "the verse wraps");
        QVERIFY2(verse.left() > banner.left() + 3 && verse.right() < banner.right() - 3,
                 "the verse touches the banner's edge");
        QVERIFY(QFontMetrics(c.Command3->font()).horizontalAdvance(c.Command3->text()) <
                c.Command3->width() - 4);

        // No label's text is wider than its label.
        for (QLabel* l : window.findChildren<QLabel*>()) {
            if (l->text().isEmpty() || !l->isVisible())
                continue;
            QVERIFY2(QFontMetrics(l->font()).horizontalAdvance(l->text()) <= l->width(),
                     qPrintable(l->objectName()));
        }
    }
};

QTEST_MAIN(MainWindowScreenTest)
#include "tst_main_window_screen.moc"
