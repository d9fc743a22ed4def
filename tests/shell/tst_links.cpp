// The link buttons of both windows start the desktop's opener with their
// web address as its one argument, once per press, without waiting for it;
// when the opener is missing or fails, nothing is shown. The opener here is a
// recording stand-in first in PATH. Runs under Xvfb and offscreen alike.

#include "ShellTestSupport.h"
#include "app/Startup.h"
#include "platform/RegionalFormat.h"
#include "shell/Shell.h"
#include "tests/support/TestSupport.h"
#include "windows/about/Form2.h"
#include "windows/main/Form1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <memory>

using namespace testing;

namespace {
const QString kMain = QStringLiteral("http://example.com");
const QString kLibrary = QStringLiteral("http://example.org");
const QString kSeminary = QStringLiteral("http://example.net");
} // namespace

class LinksTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void mainWindowButtons();
    void aboutWindowButtonsAndPicture();
    void pressingTwiceOpensTwice();
    void neverWaitsForTheOpener();
    void missingOpenerShowsNothing();
    void failingOpenerShowsNothing();

private:
    // Presses `press`, then waits until the opener has logged one call more
    // than before, and checks that call: one argument, the address.
    void expectOneCall(const std::function<void()>& press, const QString& address);
    // Every call so far came from a press: a last call made straight to the
    // shell arrives after all of them, and nothing else came.
    void expectNoMoreCalls();

    std::unique_ptr<FakeOpener> opener_;
    std::unique_ptr<FakeClock> clock_;
    std::unique_ptr<Form1> main_;
    std::unique_ptr<BoxAnswerer> boxes_;
    QByteArray path_;
};

void LinksTest::initTestCase() {
    app::setUpApplication(*qApp);
    path_ = qgetenv("PATH");
}

void LinksTest::init() {
    qputenv("PATH", path_);
    opener_ = std::make_unique<FakeOpener>();
    opener_->install();
    boxes_ = std::make_unique<BoxAnswerer>();
    clock_ = std::make_unique<FakeClock>();
    main_ = std::make_unique<Form1>(
        *clock_, platform::RegionalFormat::forLocale(QStringLiteral("ar_SA.UTF-8")));
    main_->show();
    QVERIFY(QTest::qWaitForWindowExposed(main_.get()));
}

void LinksTest::cleanup() {
    if (QWidget* about = Form2::instance().window())
        about->close();
    main_.reset();
    opener_.reset();
    // No link ever puts up a box, for success or failure.
    QVERIFY(boxes_->seen.empty());
    boxes_.reset();
    qputenv("PATH", path_);
}

void LinksTest::expectOneCall(const std::function<void()>& press, const QString& address) {
    const qsizetype before = opener_->calls().size();
    press();
    QTRY_COMPARE_WITH_TIMEOUT(opener_->calls().size(), before + 1, 5000);
    const FakeOpener::Call call = opener_->calls().last();
    QCOMPARE(call.args, QStringList{address});
}

void LinksTest::expectNoMoreCalls() {
    const qsizetype before = opener_->calls().size();
    QVERIFY(shell::execute(0, "open", "http://example.invalid/last", nullptr, nullptr,
                           shell::SW_SHOWNORMAL));
    QTRY_VERIFY_WITH_TIMEOUT(!opener_->calls().isEmpty() &&
                                 opener_->calls().last().args ==
                                     QStringList{QStringLiteral("http://example.invalid/last")},
                             5000);
    QCOMPARE(opener_->calls().size(), before + 1);
}

void LinksTest::mainWindowButtons() {
    const Ui::Form1& ui = main_->controls();
    expectOneCall([&] { QTest::mouseClick(ui.Command4, Qt::LeftButton); }, kMain);
    expectOneCall([&] { QTest::mouseClick(ui.Command5, Qt::LeftButton); }, kLibrary);
    expectOneCall([&] { QTest::mouseClick(ui.Command6, Qt::LeftButton); }, kSeminary);
    // The verse banner is no link.
    QTest::mouseClick(ui.Command3, Qt::LeftButton);
    expectNoMoreCalls();
    QCOMPARE(opener_->calls().size(), 4);
}

void LinksTest::aboutWindowButtonsAndPicture() {
    QTest::mouseClick(main_->controls().Command1, Qt::LeftButton);
    QWidget* about = Form2::instance().window();
    QVERIFY(about);
    QVERIFY(QTest::qWaitForWindowExposed(about));
    Ui::Form2* ui = Form2::instance().controls();
    expectOneCall([&] { QTest::mouseClick(ui->Command1, Qt::LeftButton); }, kMain);
    expectOneCall([&] { QTest::mouseClick(ui->Command2, Qt::LeftButton); }, kSeminary);
    expectOneCall([&] { QTest::mouseClick(ui->Command3, Qt::LeftButton); }, kLibrary);
    expectOneCall([&] { QTest::mouseClick(ui->Pictuer1, Qt::LeftButton); }, kMain);
    // Other buttons than the left one, and the labels, open nothing.
    QTest::mouseClick(ui->Pictuer1, Qt::RightButton);
    QTest::mouseClick(ui->SkinLabel1, Qt::LeftButton);
    expectNoMoreCalls();
    QCOMPARE(opener_->calls().size(), 5);
}

void LinksTest::pressingTwiceOpensTwice() {
    const Ui::Form1& ui = main_->controls();
    expectOneCall([&] { QTest::mouseClick(ui.Command5, Qt::LeftButton); }, kLibrary);
    expectOneCall([&] { QTest::mouseClick(ui.Command5, Qt::LeftButton); }, kLibrary);
    expectNoMoreCalls();
    QCOMPARE(opener_->calls().size(), 3);
    // Each press started an opener of its own.
    QVERIFY(opener_->calls().at(0).pid != opener_->calls().at(1).pid);
}

void LinksTest::neverWaitsForTheOpener() {
    // The stand-in stays running until released: the press must be over
    // long before that, with the opener still running.
    QElapsedTimer t;
    t.start();
    QTest::mouseClick(main_->controls().Command4, Qt::LeftButton);
    const qint64 pressed = t.elapsed();
    QTRY_COMPARE_WITH_TIMEOUT(opener_->calls().size(), 1, 5000);
    QVERIFY(processAlive(opener_->calls().first().pid));
    QVERIFY2(pressed < 2000, qPrintable(QStringLiteral("the press took %1 ms").arg(pressed)));
    // The window keeps working meanwhile.
    main_->controls().Check1->click();
    QVERIFY(main_->controls().Check1->isChecked());
    opener_->release();
    QTRY_VERIFY_WITH_TIMEOUT(!processAlive(opener_->calls().first().pid), 5000);
}

void LinksTest::missingOpenerShowsNothing() {
    // No opener anywhere on PATH.
    opener_.reset();
    opener_ = std::make_unique<FakeOpener>();
    qputenv("PATH", QByteArray("/nonexistent"));
    QTest::mouseClick(main_->controls().Command4, Qt::LeftButton);
    QTest::mouseClick(main_->controls().Command5, Qt::LeftButton);
    QCoreApplication::processEvents();
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    QCOMPARE(opener_->calls().size(), 0);
    // The program goes on: with the opener back, the next press works.
    opener_->install();
    expectOneCall([&] { QTest::mouseClick(main_->controls().Command6, Qt::LeftButton); },
                  kSeminary);
}

void LinksTest::failingOpenerShowsNothing() {
    opener_->setExitStatus(4); // xdg-open's "the action failed"
    opener_->release();
    expectOneCall([&] { QTest::mouseClick(main_->controls().Command4, Qt::LeftButton); }, kMain);
    QTRY_VERIFY_WITH_TIMEOUT(!processAlive(opener_->calls().first().pid), 5000);
    QCoreApplication::processEvents();
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    QVERIFY(main_->isVisible());
}

QTEST_MAIN(LinksTest)
#include "tst_links.moc"
