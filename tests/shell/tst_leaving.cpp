// Leaving the program. The real program runs as a child process on the X
// display and is driven from outside, as a user would: the menu's exit ends
// it at once with no message; the exit buttons of both windows show the
// farewell and end it when the box is closed; closing the main window while
// the About window is open leaves the program running.
//
// The box's own texts are read inside a copy of this test run as a child
// (--child MODE), where the box can be looked at before it is answered.

#include "ShellTestSupport.h"
#include "app/Startup.h"
#include "platform/RegionalFormat.h"
#include "shell/Actions.h"
#include "tests/support/TestSupport.h"
#include "windows/about/Form2.h"
#include "windows/main/Form1.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QLayout>
#include <QMessageBox>
#include <QProcess>
#include <QTest>

#include <cstdio>
#include <memory>

using namespace testing;

namespace {

const QString kInstance = QStringLiteral("adhan-clock");
const QString kMainTitle = QStringLiteral("نيسمور");
const QString kAboutTitle = QStringLiteral("نبذة عن البرنامج");

// Where a control's centre is within its window.
QPoint centreIn(QWidget* control) {
    return control->mapTo(control->window(), control->rect().center());
}

// The program's viewable windows with this title.
QList<XWindow> windowsTitled(const QString& title) {
    QList<XWindow> found;
    for (const XWindow& w : viewableWindowsOf(kInstance))
        if (w.name == title)
            found.append(w);
    return found;
}

// Inside the child copy: reports each box and each close notification on
// stdout, then does what MODE says.
int runChild(int argc, char** argv, const QByteArray& mode) {
    QApplication application(argc, argv);
    app::setUpApplication(application);
    const auto say = [](const QString& line) {
        std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
        std::fflush(stdout);
    };

    struct CloseWatch : QObject {
        std::function<void(const QString&)> say;
        bool eventFilter(QObject* o, QEvent* e) override {
            if (e->type() == QEvent::Close && o->isWidgetType() &&
                static_cast<QWidget*>(o)->isWindow() && !o->inherits("QMessageBox"))
                say(QStringLiteral("closed\t") + o->objectName());
            return false;
        }
    } watch;
    watch.say = say;
    application.installEventFilter(&watch);
    QObject::connect(&application, &QCoreApplication::aboutToQuit,
                     [&] { say(QStringLiteral("quitting")); });

    FakeClock clock;
    auto* main =
        new Form1(clock, platform::RegionalFormat::forLocale(QStringLiteral("ar_SA.UTF-8")));
    main->setAttribute(Qt::WA_DeleteOnClose);
    main->show();
    if (!QTest::qWaitForWindowExposed(main))
        return 9;

    BoxAnswerer boxes;
    boxes.whileOpen = [&](QMessageBox* box) {
        QStringList buttons;
        for (QAbstractButton* b : box->buttons())
            buttons.append(QString::number(box->standardButton(b), 16));
        say(QStringList{QStringLiteral("box"), box->text(), box->windowTitle(),
                        QString::number(box->icon()), buttons.join(QLatin1Char(',')),
                        QString::number(box->windowModality())}
                .join(QLatin1Char('\t')));
    };

    if (mode == "main") {
        QTest::mouseClick(main->controls().Command2, Qt::LeftButton);
    } else if (mode == "about") {
        QTest::mouseClick(main->controls().Command1, Qt::LeftButton);
        if (!QTest::qWaitForWindowExposed(Form2::instance().window()))
            return 9;
        QTest::mouseClick(Form2::instance().controls()->Command4, Qt::LeftButton);
    } else if (mode == "menu") {
        main->controls().mnExit->trigger();
    }
    say(QStringLiteral("returned"));
    return 7;
}

} // namespace

class LeavingTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void menuExitEndsAtOnceWithoutBox();
    void exitButtonSaysFarewellThenEnds();
    void aboutExitEndsTheWholeProgram();
    void mainClosedWhileAboutOpenRunsOn();
    void farewellBox_data();
    void farewellBox();

private:
    // Starts the program and waits for its main window.
    XWindow start(const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment());
    XWindow waitForWindow(const QString& title, int timeoutMs = 10000);
    // Waits for the program to end by itself; checks it ended normally with status 0.
    void expectEnded();

    QString program_;
    QProcess child_;
    std::unique_ptr<FakeClock> clock_;
    // Copies of the two windows, never shown: where their buttons are.
    std::unique_ptr<Form1> mainLayout_;
    std::unique_ptr<QWidget> aboutLayout_;
    Ui::Form2 aboutUi_;
};

void LeavingTest::initTestCase() {
    app::setUpApplication(*qApp);
    program_ = buildDir() + QStringLiteral("/bin/adhan-clock");
    QVERIFY2(QFileInfo(program_).isExecutable(), qPrintable(program_));

    clock_ = std::make_unique<FakeClock>();
    mainLayout_ = std::make_unique<Form1>(
        *clock_, platform::RegionalFormat::forLocale(QStringLiteral("ar_SA.UTF-8")));
    mainLayout_->layout()->activate();
    aboutLayout_ = std::make_unique<QWidget>();
    aboutUi_.setupUi(aboutLayout_.get());
}

void LeavingTest::cleanup() {
    if (child_.state() != QProcess::NotRunning) {
        child_.kill();
        child_.waitForFinished(5000);
    }
}

XWindow LeavingTest::waitForWindow(const QString& title, int timeoutMs) {
    QList<XWindow> found;
    [&] { QTRY_VERIFY_WITH_TIMEOUT(!(found = windowsTitled(title)).isEmpty(), timeoutMs); }();
    if (found.isEmpty())
        return {};
    return found.first();
}

XWindow LeavingTest::start(const QProcessEnvironment& env) {
    child_.setProcessEnvironment(env);
    child_.setProgram(program_);
    child_.start();
    if (!child_.waitForStarted(10000)) {
        qWarning("adhan-clock did not start: %s", qPrintable(child_.errorString()));
        return {};
    }
    // A sanitizer build takes its time to start.
    const XWindow main = waitForWindow(kMainTitle, 30000);
    if (main.id && main.geometry.size() != mainLayout_->size())
        qWarning("the main window is %dx%d here, %dx%d in the program", mainLayout_->width(),
                 mainLayout_->height(), main.geometry.width(), main.geometry.height());
    return main;
}

void LeavingTest::expectEnded() {
    QVERIFY2(child_.waitForFinished(15000), "the program did not end");
    QCOMPARE(child_.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child_.exitCode(), 0);
    const QByteArray err = child_.readAllStandardError();
    QVERIFY2(!err.contains("Run-time error"), err.constData());
}

void LeavingTest::menuExitEndsAtOnceWithoutBox() {
    const XWindow main = start();
    QVERIFY(main.id);
    pressKeys(main.id, QStringLiteral("ctrl+e"));
    // Nobody answers anything: a box would keep the program waiting.
    expectEnded();
}

void LeavingTest::exitButtonSaysFarewellThenEnds() {
    const XWindow main = start();
    QVERIFY(main.id);
    clickAt(main.geometry.topLeft() + centreIn(mainLayout_->controls().Command2));
    const XWindow box = waitForWindow(shell::farewellTitle());
    QVERIFY(box.id);
    // The box waits for its answer, and the program with it.
    QCOMPARE(child_.state(), QProcess::Running);
    QCOMPARE(windowsTitled(kMainTitle).size(), 1);
    pressKeys(box.id, QStringLiteral("Return"));
    expectEnded();
}

void LeavingTest::aboutExitEndsTheWholeProgram() {
    const XWindow main = start();
    QVERIFY(main.id);
    pressKeys(main.id, QStringLiteral("ctrl+h"));
    const XWindow about = waitForWindow(kAboutTitle);
    QVERIFY(about.id);
    clickAt(about.geometry.topLeft() + centreIn(aboutUi_.Command4));
    const XWindow box = waitForWindow(shell::farewellTitle());
    QVERIFY(box.id);
    QCOMPARE(child_.state(), QProcess::Running);
    pressKeys(box.id, QStringLiteral("Return"));
    expectEnded(); // the main window goes with it
}

void LeavingTest::mainClosedWhileAboutOpenRunsOn() {
    FakeOpener opener;
    const XWindow main = start(opener.environment());
    QVERIFY(main.id);
    pressKeys(main.id, QStringLiteral("ctrl+h"));
    const XWindow about = waitForWindow(kAboutTitle);
    QVERIFY(about.id);

    requestClose(main.id);
    QTRY_VERIFY_WITH_TIMEOUT(windowsTitled(kMainTitle).isEmpty(), 10000);
    // Still running, and the About window still does its work.
    QCOMPARE(child_.state(), QProcess::Running);
    clickAt(about.geometry.topLeft() + centreIn(aboutUi_.Command1));
    QTRY_COMPARE_WITH_TIMEOUT(opener.calls().size(), 1, 10000);
    QCOMPARE(opener.calls().first().args, QStringList{QStringLiteral("http://example.com")});
    QCOMPARE(child_.state(), QProcess::Running);

    // Its last window closed, the program ends.
    requestClose(about.id);
    expectEnded();
}

void LeavingTest::farewellBox_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<bool>("withBox");
    QTest::newRow("main window's exit button") << QStringLiteral("main") << true;
    QTest::newRow("About window's exit button") << QStringLiteral("about") << true;
    QTest::newRow("menu's exit") << QStringLiteral("menu") << false;
}

void LeavingTest::farewellBox() {
    QFETCH(QString, mode);
    QFETCH(bool, withBox);
    QProcess self;
    self.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), mode});
    QVERIFY(self.waitForFinished(30000));
    const QString out = QString::fromUtf8(self.readAllStandardOutput());
    QCOMPARE(self.exitStatus(), QProcess::NormalExit);
    QVERIFY2(self.exitCode() == 0,
             qPrintable(out + QString::fromUtf8(self.readAllStandardError())));

    QStringList expected;
    if (withBox)
        expected.append(QStringList{QStringLiteral("box"), shell::farewellText(),
                                    shell::farewellTitle(), QString::number(QMessageBox::NoIcon),
                                    QString::number(QMessageBox::Ok, 16),
                                    QString::number(Qt::ApplicationModal)}
                            .join(QLatin1Char('\t')));
    // Nothing after the box: no window told it closes, no quitting, no return.
    QCOMPARE(out.split(QLatin1Char('\n'), Qt::SkipEmptyParts), expected);
    QCOMPARE(shell::farewellText(), QStringLiteral("الدرفاني يتمنى لكم الفائدة ويسألكم الدعاء"));
    QCOMPARE(shell::farewellTitle(), QStringLiteral("مكتبة الدرفاني للمعلومات الدينية"));
}

int main(int argc, char** argv) {
    if (argc >= 3 && qstrcmp(argv[1], "--child") == 0)
        return runChild(argc, argv, argv[2]);
    QApplication application(argc, argv);
    LeavingTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_leaving.moc"
