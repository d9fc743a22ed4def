// What a screen reader is told about each control of the two windows: the
// accessible role, name and description every field, label, switch, picture
// and button gives, read through Qt's accessibility interfaces (no bus needed).

#include "app/Startup.h"
#include "platform/RegionalFormat.h"
#include "tests/support/TestSupport.h"
#include "windows/about/Form2.h"
#include "windows/main/Form1.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

#include <memory>
#include <vector>

using testing::FakeClock;

namespace {

struct Expected {
    const char* object;
    QAccessible::Role role;
    QString name;
    QString description;
    // Whether the layout data holds the name itself (else the control's own
    // caption stands for it).
    bool nameInLayout;
};

QString s(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QString verse() {
    // As the layout data spells it: each shadda before its vowel.
    return QString::fromUtf16(
        u"\u0642\u0627\u0644 \u0627\u0644\u0644\u0647 \u062a\u0639\u0627\u0644\u0649: "
        u"\u0625\u0650\u0646\u0651\u064e "
        u"\u0627\u0644\u0635\u0651\u064e\u0644\u0627\u064e\u0629\u064e "
        u"\u0643\u064e\u0627\u0646\u064e\u062a\u0652 \u0639\u064e\u0644\u064e\u0649 "
        u"\u0627\u0644\u0652\u0645\u064f\u0624\u0652\u0645\u0650\u0646\u0650\u064a\u0646\u064e "
        u"\u0643\u0650\u062a\u064e\u0627\u0628\u0627\u064b "
        u"\u0645\u0651\u064e\u0648\u0652\u0642\u064f\u0648\u062a\u0627\u064b");
}

const std::vector<Expected>& mainWindow() {
    using A = QAccessible;
    static const std::vector<Expected> e{
        {"Text1", A::EditableText, s("وقت صلاة الفجر"),
         s("يرفع البرنامج أذان الفجر حين تبلغ الساعة هذا الوقت"), true},
        {"Text2", A::EditableText, s("وقت صلاة الظهر"),
         s("يرفع البرنامج أذان الظهر حين تبلغ الساعة هذا الوقت"), true},
        {"Text3", A::EditableText, s("وقت صلاة المغرب"),
         s("يرفع البرنامج أذان المغرب حين تبلغ الساعة هذا الوقت"), true},
        {"time1", A::StaticText, s("الساعة"), {}, true},
        {"date1", A::StaticText, s("التاريخ"), {}, true},
        {"SkinLabel1", A::StaticText, s("صلاة الفجر"), {}, true},
        {"SkinLabel2", A::StaticText, s("صلاة الظهر"), {}, true},
        {"SkinLabel3", A::StaticText, s("صلاة المغرب"), {}, true},
        {"SkinLabel4",
         A::StaticText,
         s("لتغيير أوقات الأذان: ضع علامة (صح) في المربع ثم غير الوقت"),
         {},
         true},
        {"Check1", A::CheckBox, s("تعديل أوقات الأذان"), s("اضغط هنا لتغيير الأوقات"), true},
        {"Command3", A::Button, s("آية عن مواقيت الصلاة"), verse(), true},
        {"Command2", A::Button, s("خروج"), s("إنهاء البرنامج"), false},
        {"Command6", A::Button, s("الحوزة"), s("طلب العلم فريضة"), false},
        {"Command5", A::Button, s("المكتبة"), s("الكتاب خير جليس"), false},
        {"Command4", A::Button, s("الموقع"), s("لا تبخل علينا بزيارتك"), false},
        {"Command1", A::Button, s("نبذة"), s("نبذة عن البرنامج والمبرمج"), false},
    };
    return e;
}

const std::vector<Expected>& aboutWindow() {
    using A = QAccessible;
    static const std::vector<Expected> e{
        {"Pictuer1", A::Graphic, s("صورة البرنامج"), s("الشيخ فيروان الدرفاني"), true},
        {"SkinLabel1", A::StaticText, s("نيسمور"), {}, true},
        {"SkinLabel2", A::StaticText, s("برمجة وإعداد"), {}, true},
        {"SkinLabel3", A::StaticText, s("الشيخ فيروان الدرفاني"), {}, true},
        {"SkinLabel4", A::StaticText, s("انتاج: الثلاثاء 6/محرم/1429هج"), {}, true},
        {"SkinLabel5", A::StaticText, s("الموافق: 15/يناير/2008م"), {}, true},
        {"SkinLabel6", A::StaticText, s("مدينة المثال - بلد المثال"), {}, true},
        {"SkinLabel7", A::StaticText, s("راسلنا على العنوان التالي"), {}, true},
        {"SkinLabel8", A::StaticText, s("author@example.com"), {}, true},
        {"Command3", A::Button, s("المكتبة"), s("مكتبة الدرفاني للمعلومات الدينية"), false},
        {"Command2", A::Button, s("الحوزة"), s("الحوزة الدرفانية الصوتية"), false},
        {"Command1", A::Button, s("الموقع"), s("موقع سرمدان"), false},
        {"Command4", A::Button, s("خروج"), s("إنهاء البرنامج"), false},
    };
    return e;
}

bool hasArabicLetter(const QString& text) {
    for (QChar c : text)
        if (c.script() == QChar::Script_Arabic && c.isLetter())
            return true;
    return false;
}

// Compares what the control tells a screen reader with what it should.
void checkControls(QWidget* window, const std::vector<Expected>& expected) {
    for (const Expected& e : expected) {
        auto* c = window->findChild<QWidget*>(QLatin1String(e.object));
        QVERIFY2(c, e.object);
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(c);
        QVERIFY2(a, e.object);
        QVERIFY2(a->role() == e.role, e.object);
        // A named label that shows something (the clock, the date) says its
        // name and then what it shows.
        const auto* label = qobject_cast<QLabel*>(c);
        const QString said = a->text(QAccessible::Name);
        const bool nameThenShown = label && said == e.name + u' ' + label->text();
        QVERIFY2(said == e.name || nameThenShown, qPrintable(said));
        QCOMPARE(a->text(QAccessible::Description), e.description);
        if (e.nameInLayout)
            QCOMPARE(c->accessibleName(), said);
        if (!e.description.isEmpty())
            QCOMPARE(c->accessibleDescription(), e.description);
    }
}

// Every field, label, switch and button of the window has a name to say;
// each is in Arabic unless it is an address.
void checkNoneUnnamed(QWidget* window) {
    const auto controls = window->findChildren<QWidget*>();
    int seen = 0;
    for (QWidget* c : controls) {
        if (!c->isVisibleTo(window) || (!qobject_cast<QLabel*>(c) && !qobject_cast<QLineEdit*>(c) &&
                                        !qobject_cast<QAbstractButton*>(c)))
            continue;
        ++seen;
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(c);
        QVERIFY(a);
        const QString name = a->text(QAccessible::Name);
        const QByteArray what = c->objectName().toUtf8() + ": " + name.toUtf8();
        QVERIFY2(!name.isEmpty(), what.constData());
        if (!name.contains(QLatin1Char('@')))
            QVERIFY2(hasArabicLetter(name), what.constData());
        // Labels and fields carry the name in the layout data, not only by
        // way of their text (which for the clock and the times changes).
        if (!qobject_cast<QAbstractButton*>(c) || qobject_cast<QCheckBox*>(c))
            QVERIFY2(!c->accessibleName().isEmpty(), what.constData());
    }
    QVERIFY(seen > 0);
}

} // namespace

class AccessibleNamesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { app::setUpApplication(*qApp); }
    void init();
    void cleanup();
    void mainWindowControls();
    void mainWindowHasNoUnnamedControl();
    void clockKeepsItsNamesAsItTicks();
    void aboutWindowControls();

private:
    std::unique_ptr<FakeClock> clock_;
    QPointer<Form1> main_;
};

void AccessibleNamesTest::init() {
    clock_ = std::make_unique<FakeClock>(QDateTime(QDate(2024, 3, 15), QTime(9, 30, 15)));
    main_ = new Form1(*clock_, platform::RegionalFormat::forLocale(QStringLiteral("ar_SA.UTF-8")));
    main_->setAttribute(Qt::WA_DeleteOnClose);
    main_->show();
    QVERIFY(QTest::qWaitForWindowExposed(main_));
}

void AccessibleNamesTest::cleanup() {
    if (QWidget* about = Form2::instance().window())
        about->close();
    if (main_)
        main_->close();
    QTRY_VERIFY(main_.isNull());
    QTRY_VERIFY(Form2::instance().window() == nullptr);
}

void AccessibleNamesTest::mainWindowControls() {
    checkControls(main_, mainWindow());
    QCOMPARE(QAccessible::queryAccessibleInterface(main_)->text(QAccessible::Name), s("نيسمور"));
}

void AccessibleNamesTest::mainWindowHasNoUnnamedControl() {
    checkNoneUnnamed(main_);
}

void AccessibleNamesTest::clockKeepsItsNamesAsItTicks() {
    const Ui::Form1& ui = main_->controls();
    main_->Timer1_Timer();
    const QString shown = ui.time1->text();
    QVERIFY(shown != QLatin1String("time")); // the tick wrote the time
    clock_->advanceMs(61 * 1000);
    main_->Timer1_Timer();
    QVERIFY(ui.time1->text() != shown);
    // The clock and date say what they are, then what they show now.
    QCOMPARE(QAccessible::queryAccessibleInterface(ui.time1)->text(QAccessible::Name),
             s("الساعة ") + ui.time1->text());
    QCOMPARE(QAccessible::queryAccessibleInterface(ui.date1)->text(QAccessible::Name),
             s("التاريخ ") + ui.date1->text());
    // Unlocking the fields leaves their names as they were.
    ui.Check1->setChecked(true);
    main_->Timer1_Timer();
    QCOMPARE(QAccessible::queryAccessibleInterface(ui.Text1)->text(QAccessible::Name),
             s("وقت صلاة الفجر"));
}

void AccessibleNamesTest::aboutWindowControls() {
    QTest::mouseClick(main_->controls().Command1, Qt::LeftButton);
    QWidget* about = Form2::instance().window();
    QVERIFY(about);
    checkControls(about, aboutWindow());
    checkNoneUnnamed(about);
    QCOMPARE(QAccessible::queryAccessibleInterface(about)->text(QAccessible::Name),
             s("نبذة عن البرنامج"));
}

QTEST_MAIN(AccessibleNamesTest)
#include "tst_accessible_names.moc"
