// The main window as the program builds it from its layout data: every
// control in its place, the switch unlocking the fields, an alarm going off
// through the real window, and the run-time error report.

#include "app/Startup.h"
#include "components/ClipPlayer.h"
#include "platform/RegionalFormat.h"
#include "platform/SecondBeat.h"
#include "tests/support/TestSupport.h"
#include "windows/main/Form1.h"

#include <QAction>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QtTest>

using testing::BoxAnswerer;
using testing::FakeClock;

namespace {

struct Expected {
    const char* name;
    const char* className;
    const char* parent;
    QRect geometry; // pixels at 96 dpi
    QString text;
    QString toolTip;
    QString family; // empty: the window's default font
    double pointSize;
    bool bold;
    Qt::CursorShape cursor;
};

const QString kSimplified = QStringLiteral("Simplified Arabic");
const QString kTimes = QStringLiteral("Times New Roman");
const QString kSans = QStringLiteral("MS Sans Serif");
const QString kVerse = QStringLiteral("قال الله تعالى: إِنَّ الصَّلاَةَ كَانَتْ عَلَى الْمُؤْمِنِينَ كِتَاباً مَّوْقُوتاً ");

const std::vector<Expected>& expectedControls() {
    static const std::vector<Expected> e{
        {"Frame2",
         "QGroupBox",
         "centralwidget",
         {8, 8, 345, 169},
         {},
         {},
         {},
         0,
         false,
         Qt::ArrowCursor},
        {"Command3",
         "QPushButton",
         "Frame2",
         {0, 8, 345, 25},
         kVerse,
         {},
         kSimplified,
         12,
         true,
         Qt::ArrowCursor},
        {"RealAudio1",
         "ClipPlayer",
         "Frame2",
         {136, 0, 73, 33},
         {},
         {},
         {},
         0,
         false,
         Qt::ArrowCursor},
        {"date1",
         "SkinnedLabel",
         "Frame2",
         {48, 40, 105, 25},
         QStringLiteral("date"),
         {},
         kTimes,
         14.25,
         true,
         Qt::ArrowCursor},
        {"time1",
         "SkinnedLabel",
         "Frame2",
         {192, 40, 113, 25},
         QStringLiteral("time"),
         {},
         kTimes,
         14.25,
         true,
         Qt::ArrowCursor},
        {"SkinLabel1",
         "SkinnedLabel",
         "Frame2",
         {32, 64, 65, 25},
         QStringLiteral("صلاة الفجر"),
         {},
         kSimplified,
         12,
         true,
         Qt::ArrowCursor},
        {"SkinLabel2",
         "SkinnedLabel",
         "Frame2",
         {136, 64, 65, 25},
         QStringLiteral("صلاة الظهر"),
         {},
         kSimplified,
         12,
         true,
         Qt::ArrowCursor},
        {"SkinLabel3",
         "SkinnedLabel",
         "Frame2",
         {248, 64, 73, 25},
         QStringLiteral("صلاة المغرب"),
         {},
         kSimplified,
         12,
         true,
         Qt::ArrowCursor},
        {"Text1",
         "QLineEdit",
         "Frame2",
         {8, 96, 105, 38},
         QStringLiteral("05:06:00 ص"),
         {},
         kSimplified,
         14.25,
         false,
         Qt::IBeamCursor},
        {"Text2",
         "QLineEdit",
         "Frame2",
         {120, 96, 105, 38},
         QStringLiteral("11:47:00 ص"),
         {},
         kSimplified,
         14.25,
         false,
         Qt::IBeamCursor},
        {"Text3",
         "QLineEdit",
         "Frame2",
         {232, 96, 105, 38},
         QStringLiteral("05:18:00 م"),
         {},
         kSimplified,
         14.25,
         false,
         Qt::IBeamCursor},
        {"SkinLabel4",
         "SkinnedLabel",
         "Frame2",
         {24, 144, 273, 17},
         QStringLiteral("لتغيير أوقات الأذان: ضع علامة (صح) في المربع ثم غير الوقت"),
         {},
         kSans,
         8.25,
         false,
         Qt::ArrowCursor},
        {"Check1",
         "QCheckBox",
         "Frame2",
         {304, 144, 17, 17},
         QStringLiteral("Check1"),
         QStringLiteral("اضغط هنا لتغيير الأوقات"),
         {},
         0,
         false,
         Qt::ArrowCursor},
        {"Frame1",
         "QGroupBox",
         "centralwidget",
         {8, 176, 345, 49},
         {},
         {},
         {},
         0,
         false,
         Qt::ArrowCursor},
        {"Command2",
         "QPushButton",
         "Frame1",
         {8, 16, 81, 25},
         QStringLiteral("خروج"),
         QStringLiteral("الدرفاني يقول: رافقتك السلامة"),
         {},
         0,
         false,
         Qt::ForbiddenCursor},
        {"Command6",
         "QPushButton",
         "Frame1",
         {120, 16, 49, 25},
         QStringLiteral("الحوزة"),
         QStringLiteral("طلب العلم فريضة"),
         {},
         0,
         false,
         Qt::WhatsThisCursor},
        {"Command5",
         "QPushButton",
         "Frame1",
         {176, 16, 49, 25},
         QStringLiteral("المكتبة"),
         QStringLiteral("الكتاب خير جليس"),
         {},
         0,
         false,
         Qt::WhatsThisCursor},
        {"Command4",
         "QPushButton",
         "Frame1",
         {232, 16, 49, 25},
         QStringLiteral("الموقع"),
         QStringLiteral("لا تبخل علينا بزيارتك"),
         {},
         0,
         false,
         Qt::WhatsThisCursor},
        {"Command1",
         "QPushButton",
         "Frame1",
         {288, 16, 49, 25},
         QStringLiteral("نبذة"),
         QStringLiteral("نبذة عن البرنامج والمبرمج"),
         {},
         0,
         false,
         Qt::WhatsThisCursor},
    };
    return e;
}

QString textOf(QWidget* w) {
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        return b->text();
    if (auto* l = qobject_cast<QLabel*>(w))
        return l->text();
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return e->text();
    if (auto* g = qobject_cast<QGroupBox*>(w))
        return g->title();
    return {};
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<FakeClock> clock;
    std::unique_ptr<platform::SecondBeat> beat;
    std::unique_ptr<Form1> window;

    void makeWindow(const QDateTime& at) {
        window.reset();
        beat.reset();
        clock = std::make_unique<FakeClock>(at);
        beat = std::make_unique<platform::SecondBeat>(*clock);
        window = std::make_unique<Form1>(
            *clock, platform::RegionalFormat::forLocale(QStringLiteral("ar_SA.UTF-8")));
        window->setBeat(beat.get());
    }

private Q_SLOTS:
    void initTestCase() { app::setUpApplication(*qApp); }
    void cleanup() {
        window.reset();
        beat.reset();
    }

    void controls_data() {
        QTest::addColumn<int>("index");
        for (size_t i = 0; i < expectedControls().size(); ++i)
            QTest::newRow(expectedControls()[i].name) << static_cast<int>(i);
    }
    void controls() {
        QFETCH(int, index);
        const Expected& e = expectedControls()[static_cast<size_t>(index)];
        makeWindow(QDateTime(QDate(2024, 3, 15), QTime(9, 0)));
        auto* w = window->findChild<QWidget*>(QString::fromLatin1(e.name));
        QVERIFY(w);
        QCOMPARE(w->metaObject()->className(), e.className);
        QCOMPARE(w->parentWidget()->objectName(), QString::fromLatin1(e.parent));
        QCOMPARE(w->geometry(), e.geometry);
        QCOMPARE(textOf(w), e.text);
        QCOMPARE(w->toolTip(), e.toolTip);
        if (!e.family.isEmpty()) {
            QCOMPARE(w->font().family(), e.family);
            QCOMPARE(w->font().pointSizeF(), e.pointSize);
            QCOMPARE(w->font().bold(), e.bold);
        } else {
            QCOMPARE(w->font().family(), window->font().family());
        }
        QCOMPARE(w->cursor().shape(), e.cursor);
    }

    void windowItself() {
        makeWindow(QDateTime(QDate(2024, 3, 15), QTime(9, 0)));
        QCOMPARE(window->windowTitle(), QStringLiteral("نيسمور"));
        QCOMPARE(window->centralWidget()->size(), QSize(360, 232));
        QVERIFY(!window->windowIcon().isNull());
        QCOMPARE(window->windowIcon().availableSizes().value(0), QSize(100, 150));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QCOMPARE(window->minimumSize(), window->maximumSize()); // fixed size
        QCOMPARE(window->centralWidget()->geometry().top(), window->menuBar()->height());
        QCOMPARE(QApplication::layoutDirection(), Qt::RightToLeft);
        // Dawn stays on the left even right-to-left.
        const auto& c = window->controls();
        QVERIFY(c.Text1->mapTo(window.get(), QPoint()).x() <
                c.Text3->mapTo(window.get(), QPoint()).x());
        // Timers are in the layout at 1 ms and never show.
        QCOMPARE(c.Timer1->interval(), 1);
        QCOMPARE(c.Timer2->interval(), 1);
        QVERIFY(!c.Timer1->isVisible() && !c.Skin1->isVisible());
        QCOMPARE(c.Skin1->skin()->name, QStringLiteral("Standard Skin"));
        // The skin was applied at load.
        QCOMPARE(window->palette().color(QPalette::Window), c.Skin1->skin()->window);
    }

    // The Tab key walks the controls that take focus in the layout's order:
    // the switch, the fields right to left, the verse, then the buttons.
    // (Frames and labels take no focus, so the layout lists only these.)
    void tabOrder() {
        makeWindow(QDateTime(QDate(2024, 3, 15), QTime(9, 0)));
        const auto& c = window->controls();
        c.Check1->setChecked(true); // fields take focus only when editable
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QTRY_VERIFY(c.Text1->isEnabled());
        c.Check1->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), c.Check1);
        QStringList visited{QApplication::focusWidget()->objectName()};
        for (int i = 0; i < 10; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited, (QStringList{"Check1", "Text3", "Text2", "Text1", "Command3", "Command4",
                                       "Command2", "Command1", "Command5", "Command6", "Check1"}));
    }

    void menu() {
        makeWindow(QDateTime(QDate(2024, 3, 15), QTime(9, 0)));
        const QList<QAction*> menus = window->menuBar()->actions();
        QCOMPARE(menus.size(), 2);
        QCOMPARE(menus[0]->text(), QStringLiteral("ملف"));
        QCOMPARE(menus[1]->text(), QStringLiteral("حول البرنامج"));
        const auto& c = window->controls();
        QCOMPARE(menus[0]->menu()->actions(), QList<QAction*>{c.mnExit});
        QCOMPARE(menus[1]->menu()->actions(), QList<QAction*>{c.mnAbout});
        QCOMPARE(c.mnExit->text(), QStringLiteral("خروج"));
        QCOMPARE(c.mnExit->shortcut(), QKeySequence(QStringLiteral("Ctrl+E")));
        QCOMPARE(c.mnAbout->text(), QStringLiteral("نبذة"));
        QCOMPARE(c.mnAbout->shortcut(), QKeySequence(QStringLiteral("Ctrl+H")));
    }

    // The labels show their design texts until the first tick, then the clock.
    void firstTick() {
        makeWindow(QDateTime(QDate(2024, 3, 15), QTime(17, 18, 5)));
        const auto& c = window->controls();
        QCOMPARE(c.time1->text(), QStringLiteral("time"));
        QCOMPARE(c.date1->text(), QStringLiteral("date"));
        window->show();
        // The first beat comes right after showing, not a second later.
        QTRY_COMPARE(c.time1->text(), QStringLiteral("05:18:05 م"));
        QCOMPARE(c.date1->text(), QStringLiteral("15/03/2024"));
        QVERIFY(!c.Text1->isEnabled());
    }

    // The switch unlocks the fields within a tick of the click; typed text
    // stays when it is cleared.
    void switchUnlocksFields() {
        makeWindow(QDateTime(QDate(2024, 3, 15), QTime(9, 0)));
        const auto& c = window->controls();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QTRY_VERIFY(!c.Text1->isEnabled());
        QTest::mouseClick(c.Check1, Qt::LeftButton);
        QTRY_VERIFY(c.Text1->isEnabled() && c.Text2->isEnabled() && c.Text3->isEnabled());
        c.Text2->setFocus();
        c.Text2->selectAll();
        for (QChar ch : QStringLiteral("09:00:02 ص"))
            QTest::sendKeyEvent(QTest::Click, c.Text2, Qt::Key_unknown, QString(ch), {});
        QCOMPARE(c.Text2->text(), QStringLiteral("09:00:02 ص"));
        QTest::mouseClick(c.Check1, Qt::LeftButton);
        QTRY_VERIFY(!c.Text1->isEnabled() && !c.Text2->isEnabled() && !c.Text3->isEnabled());
        QCOMPARE(c.Text2->text(), QStringLiteral("09:00:02 ص"));
        // A greyed switch counts as clear.
        c.Check1->setTristate(true);
        c.Check1->setCheckState(Qt::PartiallyChecked);
        beat->deliver();
        QVERIFY(!c.Text1->isEnabled());

        // The typed time fires at its second, read-only as the field now is.
        BoxAnswerer boxes;
        clock->set(QDateTime(QDate(2024, 3, 15), QTime(9, 0, 2, 3)));
        beat->deliver();
        QTRY_COMPARE(boxes.seen.size(), size_t(1));
        QCOMPARE(boxes.seen[0].text, QStringLiteral("حان الان موعد صلاة الظهر"));
    }

    // At a prayer's second the adhan starts and the box shows; the clock goes
    // on while the box is open, and the second does not fire again.
    void alarmThroughTheWindow() {
        makeWindow(QDateTime(QDate(2024, 3, 15), QTime(5, 5, 59, 500)));
        const auto& c = window->controls();
        QSignalSpy started(c.RealAudio1, &ClipPlayer::started);
        window->show();
        QTRY_COMPARE(c.time1->text(), QStringLiteral("05:05:59 ص"));

        BoxAnswerer boxes;
        QStringList clockWhileOpen;
        boxes.whileOpen = [&](QMessageBox*) {
            clock->advanceMs(1000);
            beat->deliver();
            clockWhileOpen << c.time1->text();
        };
        clock->set(QDateTime(QDate(2024, 3, 15), QTime(5, 6, 0, 2)));
        beat->deliver();
        QCOMPARE(boxes.seen.size(), size_t(1));
        QCOMPARE(boxes.seen[0].text, QStringLiteral("حان الان موعد صلاة الفجر"));
        QCOMPARE(boxes.seen[0].title, QStringLiteral("Project1"));
        QCOMPARE(boxes.seen[0].hadIcon, false);
        QCOMPARE(boxes.seen[0].buttons, 1);
        QCOMPARE(clockWhileOpen, QStringList{QStringLiteral("05:06:01 ص")});
        QCOMPARE(c.RealAudio1->source(), QStringLiteral("athan.mp3"));
        QCOMPARE(started.size(), 1);
        // More ticks in the same second and the next: nothing more.
        clock->set(QDateTime(QDate(2024, 3, 15), QTime(5, 6, 1, 500)));
        beat->deliver();
        beat->deliver();
        QCOMPARE(boxes.seen.size(), size_t(1));
        QCOMPARE(started.size(), 1);
    }

    void verseBannerDoesNothing() {
        makeWindow(QDateTime(QDate(2024, 3, 15), QTime(9, 0)));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        const int before = static_cast<int>(QApplication::topLevelWidgets().size());
        BoxAnswerer boxes;
        QTest::mouseClick(window->controls().Command3, Qt::LeftButton);
        QCoreApplication::processEvents();
        QVERIFY(boxes.seen.empty());
        QCOMPARE(static_cast<int>(QApplication::topLevelWidgets().size()), before);
        QVERIFY(window->isVisible());
    }

    // A refused component call ends the run: a line on stderr, the box, and
    // a non-zero exit status; the handler never goes on.
    void runTimeErrorReport() {
        QProcess child;
        child.start(QCoreApplication::applicationDirPath() + QStringLiteral("/failing_handler"),
                    {});
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 3);
        const QString out = QString::fromUtf8(child.readAllStandardOutput());
        const QString err = QString::fromUtf8(child.readAllStandardError());
        QVERIFY2(err.contains(QStringLiteral(
                     "Run-time error '438': Object doesn't support this property or method")),
                 qPrintable(err));
        QVERIFY2(out.contains(QStringLiteral("box title: Project1")), qPrintable(out));
        QVERIFY(out.contains(QStringLiteral("box text: Run-time error '438':")));
        QVERIFY(out.contains(QStringLiteral("box icon: 0")));
        QVERIFY(!out.contains(QStringLiteral("handler returned")));
    }

    // Without a display the program says so in one line, and ends.
    void noDisplay() {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationDirPath() + QStringLiteral("/adhan-clock"), {});
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 2);
        const QString err = QString::fromUtf8(child.readAllStandardError());
        QCOMPARE(err.count(QLatin1Char('\n')), 1);
        QVERIFY(err.contains(QStringLiteral("no display")));
        QVERIFY(err.contains(QStringLiteral("xvfb-run")));
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_main_window.moc"
