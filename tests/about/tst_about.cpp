// The About window: built from its layout data with every control of it;
// one object for the run, shown modeless; two requests leave one window;
// closed from its frame it unloads, and the next request loads it anew with
// its load step run again; it stays working when the main window closes.

#include "app/Startup.h"
#include "platform/RegionalFormat.h"
#include "tests/shell/ShellTestSupport.h"
#include "tests/support/TestSupport.h"
#include "windows/about/Form2.h"
#include "windows/main/Form1.h"

#include <QAction>
#include <QApplication>
#include <QScreen>
#include <QTest>

#include <memory>

using namespace testing;

namespace {

struct Expected {
    const char* name;
    const char* className;
    QRect twips; // left, top, width, height in the frame
    QString text;
    QString toolTip;
    Qt::CursorShape cursor;
};

QString author() {
    return QStringLiteral("الشيخ فيروان الدرفاني");
}

const std::vector<Expected>& expectedControls() {
    static const std::vector<Expected> e{
        {"Pictuer1", "QLabel", {120, 240, 1575, 2295}, {}, author(), Qt::WhatsThisCursor},
        {"SkinLabel1",
         "SkinnedLabel",
         {2400, 240, 1575, 255},
         QStringLiteral("نيسمور"),
         {},
         Qt::ArrowCursor},
        {"SkinLabel2",
         "SkinnedLabel",
         {2760, 600, 975, 255},
         QStringLiteral("برمجة وإعداد"),
         {},
         Qt::ArrowCursor},
        {"SkinLabel3", "SkinnedLabel", {2520, 840, 1455, 255}, author(), {}, Qt::ArrowCursor},
        {"SkinLabel4",
         "SkinnedLabel",
         {2160, 1080, 2175, 255},
         QStringLiteral("انتاج: الثلاثاء 6/محرم/1429هج"),
         {},
         Qt::ArrowCursor},
        {"SkinLabel5",
         "SkinnedLabel",
         {2280, 1320, 1935, 255},
         QStringLiteral("الموافق: 15/يناير/2008م"),
         {},
         Qt::ArrowCursor},
        {"SkinLabel6", "SkinnedLabel", {2040, 1560, 2295, 255}, {}, {}, Qt::ArrowCursor},
        {"SkinLabel7",
         "SkinnedLabel",
         {2160, 1800, 2055, 255},
         QStringLiteral("راسلنا على العنوان التالي"),
         {},
         Qt::ArrowCursor},
        {"SkinLabel8", "SkinnedLabel", {2280, 2040, 1935, 255}, {}, {}, Qt::ArrowCursor},
        {"Command3",
         "QPushButton",
         {1800, 2280, 735, 255},
         QStringLiteral("المكتبة"),
         QStringLiteral("مكتبة الدرفاني للمعلومات الدينية"),
         Qt::WhatsThisCursor},
        {"Command2",
         "QPushButton",
         {2520, 2280, 735, 255},
         QStringLiteral("الحوزة"),
         QStringLiteral("الحوزة الدرفانية الصوتية"),
         Qt::WhatsThisCursor},
        {"Command1",
         "QPushButton",
         {3240, 2280, 735, 255},
         QStringLiteral("الموقع"),
         QStringLiteral("موقع سرمدان"),
         Qt::WhatsThisCursor},
        {"Command4",
         "QPushButton",
         {4080, 2280, 615, 255},
         QStringLiteral("خروج"),
         QStringLiteral("الدرفاني يقول: رافقتك السلامة"),
         Qt::ArrowCursor},
    };
    return e;
}

QRect pixels(const QRect& twips) {
    return QRect(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15);
}

// The About windows on the screen.
QList<QWidget*> aboutWindows() {
    QList<QWidget*> list;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("Form2") && w->isVisible())
            list.append(w);
    return list;
}

// Whether the window wears its skin: what the load step does to it.
bool skinned(QWidget* window) {
    const Ui::Form2* ui = Form2::instance().controls();
    if (!ui || !ui->Skin1->skin())
        return false;
    const SkinDefinition& skin = *ui->Skin1->skin();
    return window->styleSheet() == skin.styleSheet() &&
           window->palette().color(QPalette::Window) == skin.window;
}

bool centred(QWidget* window) {
    const QPoint screenCentre = window->screen()->availableGeometry().center();
    const QPoint d = window->frameGeometry().center() - screenCentre;
    return qAbs(d.x()) <= 1 && qAbs(d.y()) <= 1;
}

} // namespace

class AboutTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void layoutOfTheWindow();
    void oneWindowModelessSkinnedCentred();
    void closedFromFrameThenLoadedAnew();
    void staysWorkingWhenMainWindowCloses();

private:
    std::unique_ptr<FakeClock> clock_;
    QPointer<Form1> main_;
};

void AboutTest::initTestCase() {
    app::setUpApplication(*qApp);
    QVERIFY(Form2::instance().window() == nullptr); // nothing loaded before a request
    QCOMPARE(&Form2::instance(), &Form2::instance());
}

void AboutTest::init() {
    clock_ = std::make_unique<FakeClock>();
    main_ = new Form1(*clock_, platform::RegionalFormat::forLocale(QStringLiteral("ar_SA.UTF-8")));
    main_->setAttribute(Qt::WA_DeleteOnClose); // as the program makes it
    main_->show();
    QVERIFY(QTest::qWaitForWindowExposed(main_));
}

void AboutTest::cleanup() {
    if (QWidget* about = Form2::instance().window())
        about->close();
    if (main_)
        main_->close();
    QTRY_VERIFY(main_.isNull());
    QTRY_VERIFY(aboutWindows().isEmpty());
}

void AboutTest::layoutOfTheWindow() {
    QTest::mouseClick(main_->controls().Command1, Qt::LeftButton);
    QWidget* w = Form2::instance().window();
    QVERIFY(w);
    Ui::Form2* ui = Form2::instance().controls();
    QVERIFY(ui);

    QCOMPARE(w->windowTitle(), QStringLiteral("نبذة عن البرنامج"));
    QCOMPARE(w->size(), pixels({0, 0, 5040, 2880}).size());
    QVERIFY(!w->windowIcon().isNull());
    QCOMPARE(w->windowIcon().pixmap(QSize(100, 150)).toImage(),
             main_->windowIcon().pixmap(QSize(100, 150)).toImage());

    QCOMPARE(ui->Frame1->parentWidget(), w);
    QCOMPARE(ui->Frame1->title(), author());
    QCOMPARE(ui->Frame1->geometry(), pixels({120, 120, 4815, 2655}));

    for (const Expected& e : expectedControls()) {
        auto* c = w->findChild<QWidget*>(QLatin1String(e.name));
        QVERIFY2(c, e.name);
        QVERIFY2(c->inherits(e.className), e.name);
        QCOMPARE(c->parentWidget(), ui->Frame1);
        QCOMPARE(c->geometry(), pixels(e.twips));
        QCOMPARE(c->toolTip(), e.toolTip);
        QCOMPARE(c->cursor().shape(), e.cursor);
        if (auto* b = qobject_cast<QPushButton*>(c))
            QCOMPARE(b->text(), e.text);
        else if (auto* l = qobject_cast<QLabel*>(c); l && !e.text.isEmpty())
            QCOMPARE(l->text(), e.text);
        if (QByteArray(e.className) == "SkinnedLabel") {
            QCOMPARE(c->font().family(), QStringLiteral("MS Sans Serif"));
            QCOMPARE(c->font().pointSizeF(), 8.25);
            QVERIFY2(!static_cast<QLabel*>(c)->text().isEmpty(), e.name);
        }
    }
    // Our own placeholders for the town line and the address.
    QVERIFY(ui->SkinLabel8->text().contains(QLatin1Char('@')));

    // The portrait, 100 x 150.
    QCOMPARE(ui->Pictuer1->pixmap().size(), QSize(100, 150));

    // Tab order: the frame, the picture, the labels, then the buttons with
    // the three links right to left, then exit.
    const QStringList order{
        QStringLiteral("Frame1"),     QStringLiteral("Pictuer1"),   QStringLiteral("SkinLabel1"),
        QStringLiteral("SkinLabel2"), QStringLiteral("SkinLabel3"), QStringLiteral("SkinLabel4"),
        QStringLiteral("SkinLabel5"), QStringLiteral("SkinLabel6"), QStringLiteral("SkinLabel7"),
        QStringLiteral("SkinLabel8"), QStringLiteral("Command1"),   QStringLiteral("Command2"),
        QStringLiteral("Command3"),   QStringLiteral("Command4")};
    QStringList chain;
    QWidget* c = ui->Frame1;
    do {
        if (order.contains(c->objectName()))
            chain.append(c->objectName());
        c = c->nextInFocusChain();
    } while (c != ui->Frame1 && chain.size() <= order.size());
    QCOMPARE(chain, order);
}

void AboutTest::oneWindowModelessSkinnedCentred() {
    QTest::mouseClick(main_->controls().Command1, Qt::LeftButton);
    QPointer<QWidget> first = Form2::instance().window();
    QVERIFY(first);
    QVERIFY(QTest::qWaitForWindowExposed(first));
    QVERIFY(skinned(first));
    QVERIFY(centred(first));

    // Modeless, no owner: the main window stays usable.
    QVERIFY(first->parentWidget() == nullptr);
    QCOMPARE(first->windowModality(), Qt::NonModal);
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    main_->controls().Check1->click();
    QVERIFY(main_->controls().Check1->isChecked());

    // A second request, by button and by menu, leaves the one window.
    first->move(first->pos() + QPoint(30, 20));
    const QPoint moved = first->pos();
    QTest::mouseClick(main_->controls().Command1, Qt::LeftButton);
    main_->controls().mnAbout->trigger();
    QCOMPARE(Form2::instance().window(), first.data());
    QCOMPARE(aboutWindows().size(), 1);
    QCOMPARE(first->pos(), moved); // not loaded or centred again
}

void AboutTest::closedFromFrameThenLoadedAnew() {
    main_->controls().mnAbout->trigger();
    QPointer<QWidget> first = Form2::instance().window();
    QVERIFY(first);
    QVERIFY(skinned(first));
    // Change what a new load would put back.
    Form2::instance().controls()->SkinLabel1->setText(QStringLiteral("changed"));
    first->setPalette(QPalette());
    first->setStyleSheet(QString());
    first->move(first->pos() + QPoint(40, 40));

    QVERIFY(first->close());
    QVERIFY(Form2::instance().window() == nullptr);
    QVERIFY(Form2::instance().controls() == nullptr);
    QTRY_VERIFY(first.isNull()); // unloaded: the window and its controls are gone
    QVERIFY(aboutWindows().isEmpty());

    QTest::mouseClick(main_->controls().Command1, Qt::LeftButton);
    QWidget* second = Form2::instance().window();
    QVERIFY(second);
    QVERIFY(second->isVisible());
    QCOMPARE(Form2::instance().controls()->SkinLabel1->text(), QStringLiteral("نيسمور"));
    QVERIFY(skinned(second)); // its load step ran again
    QVERIFY(centred(second));
    QCOMPARE(aboutWindows().size(), 1);
}

void AboutTest::staysWorkingWhenMainWindowCloses() {
    FakeOpener opener;
    opener.install();
    QTest::mouseClick(main_->controls().Command1, Qt::LeftButton);
    QPointer<QWidget> about = Form2::instance().window();
    QVERIFY(about);

    QVERIFY(main_->close());
    QTRY_VERIFY(main_.isNull());
    QVERIFY(about);
    QVERIFY(about->isVisible());
    // The process would go on: a window of it is still open.
    QCOMPARE(aboutWindows().size(), 1);

    // And its links still work.
    QTest::mouseClick(Form2::instance().controls()->Command3, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(opener.calls().size(), 1, 5000);
    QCOMPARE(opener.calls().first().args, QStringList{QStringLiteral("http://example.org")});
}

QTEST_MAIN(AboutTest)
#include "tst_about.moc"
