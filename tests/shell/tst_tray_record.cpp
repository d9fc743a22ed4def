// The notification record: its fields, its bytes, the narrow copy the shell
// gets, and what the shell makes of it. Offscreen: no notification area.

#include "platform/WindowHandles.h"
#include "shell/Actions.h"
#include "shell/IconHandles.h"
#include "shell/Module1.h"
#include "shell/Shell.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <QSystemTrayIcon>
#include <QTest>
#include <QWidget>

#include <cstddef>
#include <cstring>

namespace {

const QString kName = QStringLiteral("نيسمور");

QByteArray bytesOf(const shell::NOTIFYICONDATAA& narrow) {
    return QByteArray(reinterpret_cast<const char*>(&narrow), sizeof narrow);
}

QByteArray word(std::uint32_t v) {
    QByteArray b(4, '\0');
    std::memcpy(b.data(), &v, 4);
    return b;
}

QByteArray tipBytes(const shell::NOTIFYICONDATAA& narrow) {
    return QByteArray(narrow.szTip, shell::kTipLength);
}

// A record whose tip is `text`, filled as the program fills it.
Module1::NOTIFYICONDATA recordWithTip(const QString& text) {
    Module1::NOTIFYICONDATA d{};
    d.cbSize = shell::kNotifyIconDataSize;
    Module1::setTip(d, text);
    return d;
}

} // namespace

class TrayRecordTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void narrowRecordLayout();
    void registerFillsTheRecord();
    void narrowCopyBytes();
    void copyBackLeavesRecordAsItWas();
    void narrowCopyNeverCutsACharacter_data();
    void narrowCopyNeverCutsACharacter();
    void shellRefusesWhatItCannotTake();
    void iconHandles();
};

void TrayRecordTest::narrowRecordLayout() {
    QCOMPARE(sizeof(shell::NOTIFYICONDATAA), size_t(88));
    QCOMPARE(offsetof(shell::NOTIFYICONDATAA, cbSize), size_t(0));
    QCOMPARE(offsetof(shell::NOTIFYICONDATAA, hWnd), size_t(4));
    QCOMPARE(offsetof(shell::NOTIFYICONDATAA, uID), size_t(8));
    QCOMPARE(offsetof(shell::NOTIFYICONDATAA, uFlags), size_t(12));
    QCOMPARE(offsetof(shell::NOTIFYICONDATAA, uCallbackMessage), size_t(16));
    QCOMPARE(offsetof(shell::NOTIFYICONDATAA, hIcon), size_t(20));
    QCOMPARE(offsetof(shell::NOTIFYICONDATAA, szTip), size_t(24));
    QCOMPARE(sizeof(Module1::NOTIFYICONDATA::szTip) / sizeof(char16_t), size_t(64));
}

void TrayRecordTest::registerFillsTheRecord() {
    // No notification area here: registering must say nothing at all.
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));

    QWidget window;
    window.setWindowIcon(QIcon(QStringLiteral(":/images/portrait.png")));
    QVERIFY(!window.windowIcon().isNull());
    shell::registerIcon(&window);

    const Module1::NOTIFYICONDATA& nid = Module1::nid;
    QCOMPARE(nid.cbSize, 88u);
    QCOMPARE(nid.hWnd, platform::WindowHandles::handleOf(&window));
    QVERIFY(nid.hWnd != 0);
    QCOMPARE(nid.uID, 1u);
    QCOMPARE(nid.uFlags, 7u);
    QCOMPARE(nid.uCallbackMessage, 0x200u);
    QVERIFY(nid.hIcon != 0);
    QCOMPARE(shell::IconHandles::iconOf(nid.hIcon).cacheKey(), window.windowIcon().cacheKey());
    // The name, one NUL, then spaces to 64 characters.
    QCOMPARE(Module1::tip(nid), kName + QChar(u'\0') + QString(57, QLatin1Char(' ')));

    // The shell took the icon with the tip up to the NUL, and no menu.
    QSystemTrayIcon* icon = shell::addedIcon(nid.hWnd, 1);
    QVERIFY(icon);
    QCOMPARE(icon->toolTip(), kName);
    QVERIFY(!icon->icon().isNull());
    QCOMPARE(icon->icon().cacheKey(), window.windowIcon().cacheKey());
    QVERIFY(icon->contextMenu() == nullptr);
    // Offscreen there is no notification area and never will be.
    QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
    QVERIFY(!icon->isVisible());
}

void TrayRecordTest::narrowCopyBytes() {
    Module1::NOTIFYICONDATA d{};
    d.cbSize = 88;
    d.hWnd = 0x00010010;
    d.uID = 1;
    d.uFlags = 7;
    d.uCallbackMessage = 0x200;
    d.hIcon = 0x00020010;
    Module1::setTip(d, kName + QChar(u'\0'));

    // UTF-8 here: six two-byte letters, the NUL, then as many spaces as fit.
    const QByteArray name = kName.toUtf8();
    QCOMPARE(name.size(), 12);
    QByteArray expected = word(88) + word(0x00010010) + word(1) + word(7) + word(0x200) +
                          word(0x00020010) + name + QByteArray(1, '\0') + QByteArray(51, ' ');
    QCOMPARE(expected.size(), 88);
    QCOMPARE(bytesOf(Module1::toNarrow(d)), expected);
}

void TrayRecordTest::copyBackLeavesRecordAsItWas() {
    QWidget window;
    window.setWindowIcon(QIcon(QStringLiteral(":/images/portrait.png")));
    shell::registerIcon(&window); // converts, calls and copies back
    const QByteArray after(reinterpret_cast<const char*>(&Module1::nid), sizeof Module1::nid);

    Module1::NOTIFYICONDATA fresh{};
    fresh.cbSize = 88;
    fresh.hWnd = platform::WindowHandles::handleOf(&window);
    fresh.uID = 1;
    fresh.uFlags = 7;
    fresh.uCallbackMessage = 0x200;
    fresh.hIcon = shell::IconHandles::handleOf(window.windowIcon());
    Module1::setTip(fresh, kName + QChar(u'\0'));
    QCOMPARE(after, QByteArray(reinterpret_cast<const char*>(&fresh), sizeof fresh));

    // And a copy made back from a narrow record with other values takes them all.
    shell::NOTIFYICONDATAA narrow = Module1::toNarrow(fresh);
    narrow.uID = 9;
    narrow.hIcon = 12345;
    std::memset(narrow.szTip, 0, sizeof narrow.szTip);
    std::memcpy(narrow.szTip, "abc", 3);
    Module1::NOTIFYICONDATA back = fresh;
    Module1::copyBack(narrow, back);
    QCOMPARE(back.uID, 9u);
    QCOMPARE(back.hIcon, 12345u);
    QCOMPARE(back.hWnd, fresh.hWnd);
    // All 64 bytes come back as characters: "abc", then NULs.
    QCOMPARE(Module1::tip(back), QStringLiteral("abc") + QString(61, QChar(u'\0')));
}

void TrayRecordTest::narrowCopyNeverCutsACharacter_data() {
    QTest::addColumn<QString>("tip");
    QTest::addColumn<QByteArray>("bytes");

    const QString noon = QStringLiteral("ن");                // 2 bytes in UTF-8
    const QString euro = QStringLiteral("\u20ac");           // 3 bytes
    const QString mosque = QString::fromUcs4(U"\U0001F54C"); // 4 bytes, two UTF-16 units
    QCOMPARE(mosque.size(), 2);

    QTest::newRow("two-byte letter ends exactly at 64")
        << QString(62, u'a') + noon << QByteArray(62, 'a') + noon.toUtf8();
    QTest::newRow("two-byte letter would straddle the end")
        << QString(63, u'a') + noon << QByteArray(63, 'a') + QByteArray(1, '\0');
    QTest::newRow("three-byte sign would straddle the end")
        << QString(62, u'a') + euro << QByteArray(62, 'a') + QByteArray(2, '\0');
    QTest::newRow("four-byte sign fits")
        << QString(60, u'a') + mosque << QByteArray(60, 'a') + mosque.toUtf8();
    QTest::newRow("four-byte sign would straddle the end")
        << QString(61, u'a') + mosque << QByteArray(61, 'a') + QByteArray(3, '\0');
    QTest::newRow("all Arabic: 32 letters fit, the rest is left out")
        << QString(40, QChar(u'ن')) << QString(32, QChar(u'ن')).toUtf8();
    QTest::newRow("the program's tip")
        << kName + QChar(u'\0') << kName.toUtf8() + QByteArray(1, '\0') + QByteArray(51, ' ');
}

void TrayRecordTest::narrowCopyNeverCutsACharacter() {
    QFETCH(QString, tip);
    QFETCH(QByteArray, bytes);
    const shell::NOTIFYICONDATAA narrow = Module1::toNarrow(recordWithTip(tip));
    QCOMPARE(tipBytes(narrow), bytes);

    // What was copied decodes without a broken character.
    QStringDecoder decode(QStringConverter::Utf8);
    const QString back = decode(tipBytes(narrow));
    QVERIFY(!decode.hasError());
    QVERIFY(!back.contains(QChar::ReplacementCharacter));
}

void TrayRecordTest::shellRefusesWhatItCannotTake() {
    QWidget window;
    window.setWindowIcon(QIcon(QStringLiteral(":/images/portrait.png")));
    Module1::NOTIFYICONDATA d = recordWithTip(QStringLiteral("x") + QChar(u'\0'));
    d.hWnd = platform::WindowHandles::handleOf(&window);
    d.uID = 7;
    d.uFlags = 7;
    d.hIcon = shell::IconHandles::handleOf(window.windowIcon());

    d.cbSize = 152; // the wide record's size is not the shell's
    QVERIFY(!Module1::Shell_NotifyIcon(shell::NIM_ADD, d));
    QVERIFY(!shell::addedIcon(d.hWnd, 7));
    d.cbSize = 88;
    QVERIFY(!Module1::Shell_NotifyIcon(1, d)); // only adding is known
    QVERIFY(!shell::addedIcon(d.hWnd, 7));
    QVERIFY(!shell::notifyIcon(shell::NIM_ADD, nullptr));

    QVERIFY(Module1::Shell_NotifyIcon(shell::NIM_ADD, d));
    QSystemTrayIcon* first = shell::addedIcon(d.hWnd, 7);
    QVERIFY(first);
    QCOMPARE(first->toolTip(), QStringLiteral("x"));
    // The same window and id twice: the second is refused, one icon stays.
    QVERIFY(!Module1::Shell_NotifyIcon(shell::NIM_ADD, d));
    QCOMPARE(shell::addedIcon(d.hWnd, 7), first);

    // A tip without any NUL shows all 64 bytes of it.
    Module1::NOTIFYICONDATA full = recordWithTip(QString(64, u'b'));
    full.cbSize = 88;
    full.hWnd = d.hWnd;
    full.uID = 8;
    full.uFlags = shell::NIF_TIP;
    QVERIFY(Module1::Shell_NotifyIcon(shell::NIM_ADD, full));
    QCOMPARE(shell::addedIcon(d.hWnd, 8)->toolTip(), QString(64, u'b'));
}

void TrayRecordTest::iconHandles() {
    const QIcon a(QStringLiteral(":/images/portrait.png"));
    QPixmap px(16, 16);
    px.fill(Qt::red);
    const QIcon b(px);
    const std::uint32_t ha = shell::IconHandles::handleOf(a);
    const std::uint32_t hb = shell::IconHandles::handleOf(b);
    QVERIFY(ha != 0);
    QVERIFY(hb != 0);
    QVERIFY(ha != hb);
    QCOMPARE(shell::IconHandles::handleOf(a), ha);
    QCOMPARE(shell::IconHandles::iconOf(ha).cacheKey(), a.cacheKey());
    QCOMPARE(shell::IconHandles::handleOf(QIcon()), 0u);
    QVERIFY(shell::IconHandles::iconOf(0).isNull());
    QVERIFY(shell::IconHandles::iconOf(ha + 1).isNull());
}

QTEST_MAIN(TrayRecordTest)
#include "tst_tray_record.moc"
