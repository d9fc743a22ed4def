// The skin, the skin label and the player, as the program reaches them: by
// late-bound calls that either do what they should or report failure.

#include "components/ClipPlayer.h"
#include "components/DispatchIds.h"
#include "components/SkinDefinition.h"
#include "components/SkinnedLabel.h"
#include "components/WindowSkin.h"
#include "platform/RuntimeError.h"
#include "platform/WindowHandles.h"

#include <QFile>
#include <QPushButton>
#include <QtTest>

using platform::CallKind;
using platform::DispatchError;

Q_DECLARE_METATYPE(platform::CallKind)
Q_DECLARE_METATYPE(platform::DispatchError)

namespace {
QByteArray standardSkin() {
    QFile f(QStringLiteral(":/skins/standard.skin"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}
} // namespace

class ComponentsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void labelTextProperty() {
        SkinnedLabel label;
        label.setText(QStringLiteral("time")); // the design text
        QCOMPARE(platform::getStringProperty(label, dispid::kLabelText), QStringLiteral("time"));
        platform::putProperty(label, dispid::kLabelText, QStringLiteral("05:06:00 ص"));
        QCOMPARE(label.text(), QStringLiteral("05:06:00 ص"));
        QCOMPARE(platform::getStringProperty(label, dispid::kLabelText),
                 QStringLiteral("05:06:00 ص"));
        // Shown as plain text, never as markup.
        platform::putProperty(label, dispid::kLabelText, QStringLiteral("<b>x</b>"));
        QCOMPARE(label.textFormat(), Qt::PlainText);
    }

    // Every refused call is reported, with the kind of refusal.
    void refusedCalls_data() {
        QTest::addColumn<QString>("component");
        QTest::addColumn<int>("id");
        QTest::addColumn<platform::CallKind>("kind");
        QTest::addColumn<QVariantList>("args");
        QTest::addColumn<platform::DispatchError>("error");
        QTest::addColumn<int>("number");
        const QVariantList none;
        const QVariantList text{QStringLiteral("athan.mp3")};
        QTest::newRow("label unknown id") << "label" << 1 << CallKind::PropertyGet << none
                                          << DispatchError::MemberNotFound << 438;
        QTest::newRow("label as method")
            << "label" << 0 << CallKind::Method << none << DispatchError::MemberNotFound << 438;
        QTest::newRow("label put number") << "label" << 0 << CallKind::PropertyPut
                                          << QVariantList{42} << DispatchError::TypeMismatch << 13;
        QTest::newRow("label put nothing")
            << "label" << 0 << CallKind::PropertyPut << none << DispatchError::BadParamCount << 450;
        QTest::newRow("label get with args")
            << "label" << 0 << CallKind::PropertyGet << text << DispatchError::BadParamCount << 450;
        QTest::newRow("player unknown id") << "player" << 103 << CallKind::PropertyPut << text
                                           << DispatchError::MemberNotFound << 438;
        QTest::newRow("player source as get") << "player" << 102 << CallKind::PropertyGet << none
                                              << DispatchError::MemberNotFound << 438;
        QTest::newRow("player source number")
            << "player" << 102 << CallKind::PropertyPut << QVariantList{7}
            << DispatchError::TypeMismatch << 13;
        QTest::newRow("player play as property") << "player" << 257 << CallKind::PropertyGet << none
                                                 << DispatchError::MemberNotFound << 438;
        QTest::newRow("player play with args")
            << "player" << 257 << CallKind::Method << text << DispatchError::BadParamCount << 450;
        QTest::newRow("skin unknown id") << "skin" << 0x60020007 << CallKind::Method
                                         << QVariantList{1} << DispatchError::MemberNotFound << 438;
        QTest::newRow("skin as property")
            << "skin" << 0x60020006 << CallKind::PropertyPut << QVariantList{1}
            << DispatchError::MemberNotFound << 438;
        QTest::newRow("skin handle as text")
            << "skin" << 0x60020006 << CallKind::Method << QVariantList{QStringLiteral("1")}
            << DispatchError::TypeMismatch << 13;
        QTest::newRow("skin no handle") << "skin" << 0x60020006 << CallKind::Method << none
                                        << DispatchError::BadParamCount << 450;
        QTest::newRow("skin unknown handle")
            << "skin" << 0x60020006 << CallKind::Method << QVariantList{12345}
            << DispatchError::InvalidArgument << 5;
    }
    void refusedCalls() {
        QFETCH(QString, component);
        QFETCH(int, id);
        QFETCH(platform::CallKind, kind);
        QFETCH(QVariantList, args);
        QFETCH(platform::DispatchError, error);
        QFETCH(int, number);
        SkinnedLabel label;
        ClipPlayer player;
        WindowSkin skin;
        skin.setDefinition(QStringLiteral(":/skins/standard.skin"));
        platform::Dispatchable* target =
            component == u"label"    ? static_cast<platform::Dispatchable*>(&label)
            : component == u"player" ? static_cast<platform::Dispatchable*>(&player)
                                     : static_cast<platform::Dispatchable*>(&skin);
        QCOMPARE(target->invoke(id, kind, args).error, error);
        try {
            platform::dispatch(*target, id, kind, args);
            QFAIL("a refused call came back as success");
        } catch (const platform::RuntimeError& e) {
            QCOMPARE(e.number(), number);
            QVERIFY(!e.description().isEmpty());
        }
    }

    void playerTakesSource() {
        ClipPlayer player;
        platform::putProperty(player, dispid::kPlayerSource, QStringLiteral("athan.mp3"));
        QCOMPARE(player.source(), QStringLiteral("athan.mp3"));
    }

    void standardSkinParses() {
        QString why;
        const auto skin = SkinDefinition::parse(standardSkin(), &why);
        QVERIFY2(skin.has_value(), qPrintable(why));
        QCOMPARE(skin->name, QStringLiteral("Standard Skin"));
        QVERIFY(skin->window.isValid());
        QVERIFY(skin->styleSheet().contains(skin->frameBorder.name()));
    }

    void malformedSkins_data() {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("why");
        const QByteArray good = standardSkin();
        QTest::newRow("empty") << QByteArray() << "no name";
        QTest::newRow("bad colour") << QByteArray(good).replace("#e4ece6", "#e4ec") << "bad colour";
        QTest::newRow("not hex") << QByteArray(good).replace("#e4ece6", "#zzzzzz") << "bad colour";
        QTest::newRow("unknown key") << (good + "\n[frame]\nglow = 3\n") << "unknown key";
        QTest::newRow("size too big")
            << QByteArray(good).replace("radius = 4", "radius = 400") << "bad size";
        QTest::newRow("negative size")
            << QByteArray(good).replace("radius = 4", "radius = -1") << "bad size";
        QTest::newRow("no equals") << (good + "\njunk\n") << "expected key = value";
        QTest::newRow("open section") << (good + "\n[frame\n") << "malformed section";
        QTest::newRow("missing colour")
            << QByteArray(good).replace("hover = #dceade", "") << "colour is missing";
        QTest::newRow("binary") << QByteArray("\x00\xff\xfe=\x01", 5) << "";
    }
    void malformedSkins() {
        QFETCH(QByteArray, data);
        QFETCH(QString, why);
        QString error;
        QVERIFY(!SkinDefinition::parse(data, &error).has_value());
        QVERIFY2(error.contains(why), qPrintable(error));
        QVERIFY(error.startsWith(QStringLiteral("line ")));
    }

    // A skin definition that cannot be read is a run-time error at load.
    void unreadableSkinIsAnError() {
        WindowSkin skin;
        try {
            skin.setDefinition(QStringLiteral(":/skins/none.skin"));
            QFAIL("loaded a skin that is not there");
        } catch (const platform::RuntimeError& e) {
            QCOMPARE(e.number(), 53);
        }
    }

    // Applied by handle, the skin restyles that window and no other.
    void applyRestylesTheWindow() {
        QWidget a, b;
        auto* button = new QPushButton(QStringLiteral("x"), &a);
        WindowSkin skin(&a);
        skin.setDefinition(QStringLiteral(":/skins/standard.skin"));
        const QPalette before = b.palette();
        const std::uint32_t h = platform::WindowHandles::handleOf(&a);
        QVERIFY(h != 0);
        QCOMPARE(platform::WindowHandles::windowOf(h), &a);
        platform::callMethod(skin, dispid::kSkinApply, {QVariant::fromValue(h)});
        QCOMPARE(a.palette().color(QPalette::Window), skin.skin()->window);
        QCOMPARE(button->palette().color(QPalette::ButtonText), skin.skin()->buttonText);
        QVERIFY(!a.styleSheet().isEmpty());
        QCOMPARE(b.palette(), before);
        QVERIFY(b.styleSheet().isEmpty());
    }

    // Handles are distinct, stable and forgotten when their window goes.
    void windowHandles() {
        auto* a = new QWidget;
        QWidget b;
        const auto ha = platform::WindowHandles::handleOf(a);
        const auto hb = platform::WindowHandles::handleOf(&b);
        QVERIFY(ha != hb);
        QCOMPARE(platform::WindowHandles::handleOf(a), ha);
        QCOMPARE(platform::WindowHandles::handleOf(nullptr), 0u);
        delete a;
        QCOMPARE(platform::WindowHandles::windowOf(ha), nullptr);
        QCOMPARE(platform::WindowHandles::windowOf(hb), &b);
        QCOMPARE(platform::WindowHandles::windowOf(0), nullptr);
    }
};

QTEST_MAIN(ComponentsTest)
#include "tst_components.moc"
