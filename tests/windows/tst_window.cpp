// The real main and About windows on a clock the test moves: the alarm on the
// real timers with its box left open, the switch, the layout, keyboard, links
// and About window, and, on a real display, the rendered window.
#include "app/Startup.h"
#include "components/ClipPlayer.h"
#include "components/DispatchIds.h"
#include "platform/SecondBeat.h"
#include "shell/Module1.h"
#include "tests/support/FakeClock.h"
#include "windows/about/Form2.h"
#include "windows/main/Form1.h"

#include <QAccessible>
#include <QDesktopServices>
#include <QFontInfo>
#include <QMessageBox>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QtTest>

namespace {
// Answers message boxes as they come, recording "text|title|button|note" for each. A
// box is closed once `closeWhen` holds, or after 3 s, so that a broken program
// fails the test instead of hanging it.
struct BoxAnswerer : QTimer {
    QStringList seen;
    std::function<bool()> closeWhen = [] { return true; };
    std::function<QString()> note = [] { return QString(); };
    QElapsedTimer open;
    BoxAnswerer() {
        connect(this, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            if (box->property("seen").isNull()) {
                box->setProperty("seen", true);
                seen << box->text().replace(u'\n', u' ') + u'|' + box->windowTitle() + u'|' +
                            box->button(QMessageBox::Ok)->text() + u'|' + note();
                open.start();
            }
            if (closeWhen() || open.hasExpired(3000))
                box->button(QMessageBox::Ok)->click();
        });
        start(10);
    }
};
// The part of `area` whose pixels stand out from its background.
QRect inkBox(const QImage& img, const QRect& area) {
    const QRgb bg = img.pixel(area.left() + 1, area.center().y());
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            if (qAbs(qGray(img.pixel(x, y)) - qGray(bg)) > 50)
                box |= QRect(x, y, 1, 1);
        }
    return box;
}
} // namespace

class WindowTest : public QObject {
    Q_OBJECT
    testing::FakeClock clock_{QDateTime(QDate(2024, 3, 15), QTime(5, 5, 58))};
    platform::SecondBeat beat_{clock_};
    std::unique_ptr<Form1> w_;
    QStringList opened_;
    const Ui::Form1& c() const { return w_->controls(); }

public slots:
    void open(const QUrl& url) { opened_ << url.toString(); }

private slots:
    void initTestCase() {
        app::setUpApplication(*qApp);
        w_ = std::make_unique<Form1>(clock_, platform::RegionalFormat::forLocale("ar_SA.UTF-8"));
        w_->setBeat(&beat_);
    }

    // Every control inside its window, each that takes focus named in Arabic;
    // then what the keyboard and reading direction give the user: the menu's
    // shortcuts, Tab round each window (the times right to left), menus right
    // to left; About shown once however often it is asked for, open while the
    // main window still takes input; and each link opening its site through
    // the desktop's handling of addresses.
    void layout() {
        c().Check1->setCheckState(Qt::Checked);
        c().Command1->click();
        c().mnAbout->trigger();
        for (QWidget* win : {static_cast<QWidget*>(w_.get()), Form2::instance().window()}) {
            win->show();
            for (QWidget* w : win->findChildren<QWidget*>()) {
                if (!w->isVisibleTo(win) || qobject_cast<QMenu*>(w))
                    continue;
                QVERIFY2(win->rect().contains(QRect(w->mapTo(win, QPoint()), w->size())),
                         qPrintable(w->objectName()));
                if (w->focusPolicy() & Qt::TabFocus && w->isEnabled())
                    QVERIFY2(QAccessible::queryAccessibleInterface(w)
                                 ->text(QAccessible::Name)
                                 .contains(QRegularExpression("\\p{Arabic}")),
                             qPrintable(w->objectName()));
            }
        }
        // The controls Tab visits from `w` until it comes back.
        const auto tabs = [](QWidget* w) {
            QStringList met;
            for (w->setFocus(); !met.contains(w->objectName()) && met.size() < 30;
                 w = w->window()->focusWidget())
                met << w->objectName(), QTest::keyClick(w, Qt::Key_Tab);
            return met.join(u' ');
        };
        QDesktopServices::setUrlHandler("http", this, "open");
        const Ui::Form2& about = *Form2::instance().controls();
        for (QAbstractButton* b : {c().Command4, c().Command5, c().Command6, about.Command1,
                                   about.Command2, about.Command3})
            b->click();
        QTest::mouseClick(about.Pictuer1, Qt::LeftButton);
        const auto shown = [](QWidget* w) { return w->isVisible() && w->objectName() == u"Form2"; };
        QStringList wrong;
        // clang-format off
        for (auto [fact, got, want] : {
                 std::tuple{"menu", c().mnExit->shortcut().toString() + u' ' + c().mnAbout->shortcut().toString(), QString("Ctrl+E Ctrl+H")},
                 {"Tab", tabs(c().Check1), "Check1 Text3 Text2 Text1 Command3 Command4 Command2 Command1 Command5 Command6"},
                 {"About's Tab", tabs(about.Command1), "Command1 Command2 Command3 Command4"},
                 {"tray tip", shell::addedIcon(Module1::nid.hWnd, 1)->toolTip(), "نيسمور"},
                 {"menus", c().mnFile->isRightToLeft() ? "right to left" : "left to right", "right to left"},
                 {"About", QApplication::activeModalWidget() ? "modal" : "modeless", "modeless"},
                 {"About windows", QString::number(std::ranges::count_if(QApplication::topLevelWidgets(), shown)), "1"},
                 {"links", opened_.join(u' '), "http://example.com http://example.org http://example.net http://example.com "
                                               "http://example.net http://example.org http://example.com"}}) {
            // clang-format on
            if (got != want)
                wrong << fact + (": " + got);
        }
        Form2::instance().window()->close();
        c().Check1->setCheckState(Qt::Unchecked);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u";")));
    }

    // The built-in times. The switch, by click: the fields
    // follow at once, and a greyed switch locks them; a time typed then is kept when it is cleared,
    // and is what the alarm uses. Then on the real timers, the clock running at its own pace: the
    // dawn box is left open, the clock goes on behind it, and the noon time typed for the next
    // second brings its own box meanwhile.
    void alarm() {
        QCOMPARE(c().Text1->text() + c().Text2->text() + c().Text3->text(),
                 "05:06:00 ص11:47:00 ص05:18:00 م");
        QTest::mouseClick(c().Check1, Qt::LeftButton);
        QVERIFY(c().Text1->isEnabled() && c().Text3->isEnabled());
        c().Text2->selectAll();
        for (QChar ch : QStringLiteral("05:06:01 ص"))
            QTest::sendKeyEvent(QTest::Click, c().Text2, Qt::Key_unknown, QString(ch), {});
        c().Check1->setCheckState(Qt::PartiallyChecked); // greyed locks them, as clear does
        QVERIFY(!c().Text1->isEnabled() && !c().Text3->isEnabled());
        c().Check1->setCheckState(Qt::Checked);
        QTest::mouseClick(c().Check1, Qt::LeftButton);
        QVERIFY(!c().Text1->isEnabled() && !c().Text2->isEnabled());

        BoxAnswerer boxes;
        boxes.note = [this] { return c().time1->text(); };
        boxes.closeWhen = [this] { return c().time1->text() == "05:06:02 ص"; };
        clock_.set(QDateTime(QDate(2024, 3, 15), QTime(5, 5, 59, 700)));
        clock_.run();
        w_->show();
        QTRY_COMPARE_WITH_TIMEOUT(boxes.seen.size(), 2, 6000);
        QCOMPARE(boxes.seen, (QStringList{"حان الان موعد صلاة الفجر|Project1|حسنًا|05:06:00 ص",
                                          "حان الان موعد صلاة الظهر|Project1|حسنًا|05:06:01 ص"}));
        QCOMPARE(c().RealAudio1->source() + c().date1->text(), "athan.mp315/03/2024");
    }

    void screenshot() {
        if (QGuiApplication::platformName() == u"offscreen")
            QSKIP("nothing to draw on");
        w_->show();
        QVERIFY(QTest::qWaitForWindowExposed(w_.get()));
        QImage shot;
        QTRY_VERIFY((shot = (QGuiApplication::platformName() == u"xcb"
                                 ? w_->screen()->grabWindow(w_->winId())
                                 : w_->grab())
                                .toImage()
                                .convertToFormat(QImage::Format_RGB32),
                     !inkBox(shot, shot.rect().adjusted(0, 40, 0, 0)).isEmpty()));
        const qreal dpr = shot.devicePixelRatio();
        QCOMPARE(shot.size(), w_->size() * dpr);
        QDir().mkpath(qEnvironmentVariable("ADHAN_ARTIFACTS"));
        shot.save(QString("%1/main-%2@%3x.png")
                      .arg(qEnvironmentVariable("ADHAN_ARTIFACTS"), QGuiApplication::platformName())
                      .arg(dpr));
        const auto area = [&](QWidget* w, int inset) {
            return QRect(w->mapTo(w_.get(), QPoint()) * dpr, w->size() * dpr)
                .adjusted(inset, inset, -inset, -inset);
        };
        for (QWidget* w :
             w_->findChildren<QWidget*>(QRegularExpression("^(SkinLabel|Text|time|date)"))) {
            const QRect ink = inkBox(shot, area(w, 2));
            QVERIFY2(ink.width() > 10 * dpr && ink.height() > 5 * dpr, qPrintable(w->objectName()));
            QVERIFY2(QFontMetrics(w->font()).horizontalAdvance(w->property("text").toString()) <=
                         w->width(),
                     qPrintable(w->objectName()));
        }
        const QString face = QFontInfo(c().SkinLabel1->font()).family();
        QVERIFY2(face == u"Amiri" || face.contains(u"Arabic"), qPrintable(face));
        // The verse on one line, clipped at neither end.
        const QRect banner = area(c().Command3, 3), verse = inkBox(shot, banner);
        QVERIFY(verse.width() > banner.width() / 2 && verse.left() > banner.left() &&
                verse.right() < banner.right());
        QVERIFY(verse.height() <= QFontMetrics(c().Command3->font()).height() * dpr * 1.3);
    }
};

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
