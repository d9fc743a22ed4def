// Bad text in the time fields of the real main window: very long text,
// control characters, bidi marks, emoji, NUL characters, put in by the
// program, typed, or pasted. The window must not fail, and a field fires only
// when what it holds is exactly the clock text.

#include "clock/PrayerSlots.h"
#include "tests/holding/WindowDriver.h"
#include "tests/support/TestSupport.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QtTest>

using holding::WindowDriver;
using testing::BoxAnswerer;

namespace {

const QString kDawn = QString::fromUtf16(prayer::kSlots[0].defaultTime);

// How a text gets into a field.
enum Way { Set, Typed, Pasted };

constexpr qint64 kHalfDay = 12LL * 3600 * 1000;

QString withNul(const QString& a, const QString& b) {
    return a + QChar(u'\0') + b;
}

// Shows characters a log cannot: control and format characters as \uXXXX,
// long texts by their length and ends.
QString visible(const QString& s) {
    QString out;
    const QString shown = s.size() > 40 ? s.left(20) + QStringLiteral("…") + s.right(20) : s;
    for (QChar c : shown)
        out += c.isPrint() || c == u'…' ? QString(c) : QString::asprintf("\\u%04X", c.unicode());
    if (s.size() > 40)
        out += QStringLiteral(" (%1 characters)").arg(s.size());
    return out;
}

} // namespace

class FieldFaultsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Each row puts its text into the dawn field and runs the clock over the
    // dawn second, morning and afternoon. `held` is what the field then holds
    // (the line edit keeps at most 32767 characters, and typing drops
    // characters that are not printable); `fires` how often dawn goes off.
    void badTextInAField_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("way");
        QTest::addColumn<QString>("held");
        QTest::addColumn<int>("fires");

        const QString x64k(65536, u'x');
        QString repeated;
        while (repeated.size() < 65536)
            repeated += kDawn;
        const QString cut = QStringLiteral("\u202E") + kDawn;

        // Exactly the clock text, however it got there, fires.
        QTest::newRow("exact, set") << kDawn << int(Set) << kDawn << 1;
        QTest::newRow("exact, typed") << kDawn << int(Typed) << kDawn << 1;
        QTest::newRow("exact, pasted") << kDawn << int(Pasted) << kDawn << 1;

        // 64K characters.
        QTest::newRow("64K after the time, set")
            << kDawn + x64k << int(Set) << (kDawn + x64k).left(32767) << 0;
        QTest::newRow("64K after the time, pasted")
            << kDawn + x64k << int(Pasted) << (kDawn + x64k).left(32767) << 0;
        QTest::newRow("64K before the time, set")
            << x64k + kDawn << int(Set) << (x64k + kDawn).left(32767) << 0;
        QTest::newRow("64K of the time over and over, pasted")
            << repeated << int(Pasted) << repeated.left(32767) << 0;

        // Control characters.
        const QString tab = QStringLiteral("05:06:00\tص");
        QTest::newRow("tab, set") << tab << int(Set) << tab << 0;
        const QString controls = kDawn + QStringLiteral("\r\n\x1b\x7f\u0085");
        QTest::newRow("line end, escape, delete, NEL, set")
            << controls << int(Set) << controls << 0;
        // Typing drops them: what is left is the clock text, and that fires.
        QTest::newRow("tab, typed") << tab << int(Typed) << QStringLiteral("05:06:00ص") << 0;
        QTest::newRow("line end, escape, delete, NEL, typed")
            << controls << int(Typed) << kDawn << 1;

        // Bidi marks.
        const QString rlm = QStringLiteral("05:06:00\u200F ص");
        QTest::newRow("RLM, set") << rlm << int(Set) << rlm << 0;
        QTest::newRow("RLM, pasted") << rlm << int(Pasted) << rlm << 0;
        QTest::newRow("RLM, typed") << rlm << int(Typed) << rlm << 0;
        QTest::newRow("RLO, set") << cut << int(Set) << cut << 0;
        QTest::newRow("RLO, typed") << cut << int(Typed) << cut << 0;
        const QString isolate = QStringLiteral("\u2067") + kDawn + QStringLiteral("\u2069");
        QTest::newRow("isolate, pasted") << isolate << int(Pasted) << isolate << 0;

        // Emoji, one with a joiner, and a lone surrogate.
        const QString mosque = kDawn + QStringLiteral("🕌");
        QTest::newRow("emoji, typed") << mosque << int(Typed) << mosque << 0;
        const QString family = QStringLiteral("👨‍👩‍👧") + kDawn;
        QTest::newRow("emoji with joiners, pasted") << family << int(Pasted) << family << 0;
        const QString lone = kDawn + QChar(0xD83D);
        QTest::newRow("lone surrogate, set") << lone << int(Set) << lone << 0;

        // NUL characters.
        const QString nulAfter = withNul(kDawn, {});
        QTest::newRow("NUL after, set") << nulAfter << int(Set) << nulAfter << 0;
        const QString nulInside = withNul(QStringLiteral("05:06"), QStringLiteral(":00 ص"));
        QTest::newRow("NUL inside, set") << nulInside << int(Set) << nulInside << 0;
        QTest::newRow("NUL before, pasted")
            << withNul({}, kDawn) << int(Pasted) << withNul({}, kDawn) << 0;
        QTest::newRow("NUL inside, typed") << nulInside << int(Typed) << kDawn << 1;
    }
    void badTextInAField() {
        QFETCH(QString, text);
        QFETCH(int, way);
        QFETCH(QString, held);
        QFETCH(int, fires);

        WindowDriver d(QDateTime(QDate(2024, 3, 15), QTime(5, 5, 40, 2)));
        BoxAnswerer boxes;
        QLineEdit* dawn = d.controls().Text1;
        switch (way) {
        case Set:
            dawn->setText(text);
            break;
        case Typed:
            QCOMPARE(d.typeIntoField(0, text), QString());
            break;
        case Pasted:
            QCOMPARE(d.pasteIntoField(0, text), QString());
            break;
        }
        QVERIFY2(
            dawn->text() == held,
            qPrintable(
                QStringLiteral("held %1, expected %2").arg(visible(dawn->text()), visible(held))));
        // The window draws it.
        d.window().repaint();
        WindowDriver::processEvents();

        QStringList clockAtBox;
        boxes.whileOpen = [&](QMessageBox*) { clockAtBox << d.controls().time1->text(); };
        d.runUntil(QDateTime(QDate(2024, 3, 15), QTime(5, 6, 20)));
        d.stepClock(kHalfDay - 40'000); // the afternoon, 05:05:40 م
        d.runUntil(QDateTime(QDate(2024, 3, 15), QTime(17, 6, 20)));

        QVERIFY2(d.problems.isEmpty(), qPrintable(d.problems.join(u'\n')));
        QCOMPARE(d.controls().time1->text(), QStringLiteral("05:06:20 م"));
        QCOMPARE(static_cast<int>(boxes.seen.size()), fires);
        QCOMPARE(clockAtBox, QStringList(fires, kDawn));
        // The rule itself: fires exactly when the field holds the clock text.
        QCOMPARE(fires, dawn->text() == kDawn ? 1 : 0);
    }

    // A field holding exactly the clock text fires while the other fields
    // hold junk of every kind; the junk never does.
    void exactFieldAmongJunk() {
        WindowDriver d(QDateTime(QDate(2024, 3, 15), QTime(5, 5, 50, 2)));
        BoxAnswerer boxes;
        const auto& c = d.controls();
        QCOMPARE(d.pasteIntoField(1, kDawn + QString(65536, u'\u200F')), QString());
        c.Text3->setText(withNul(QStringLiteral("\u202E🕌"), kDawn));
        QCOMPARE(c.Text1->text(), kDawn);
        d.runUntil(QDateTime(QDate(2024, 3, 15), QTime(5, 6, 10)));
        QVERIFY2(d.problems.isEmpty(), qPrintable(d.problems.join(u'\n')));
        QCOMPARE(boxes.seen.size(), size_t(1));
        QCOMPARE(boxes.seen[0].text, QString::fromUtf16(prayer::kSlots[0].message));
        QCOMPARE(c.Text2->text().size(), 32767);
    }
};

QTEST_MAIN(FieldFaultsTest)
#include "tst_field_faults.moc"
