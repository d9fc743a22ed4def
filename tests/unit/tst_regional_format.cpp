// The regional time and date forms, for the Arabic locale the program is
// made for and for others.

#include "platform/RegionalFormat.h"

#include <QtTest>

using platform::RegionalFormat;

class RegionalFormatTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void arabicLongTime_data() {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("text");
        QTest::newRow("midnight") << QTime(0, 0, 0) << QStringLiteral("12:00:00 ص");
        QTest::newRow("dawn") << QTime(5, 6, 0) << QStringLiteral("05:06:00 ص");
        QTest::newRow("before noon") << QTime(11, 59, 59) << QStringLiteral("11:59:59 ص");
        QTest::newRow("noon") << QTime(12, 0, 0) << QStringLiteral("12:00:00 م");
        QTest::newRow("one pm") << QTime(13, 0, 1) << QStringLiteral("01:00:01 م");
        QTest::newRow("sunset") << QTime(17, 18, 0) << QStringLiteral("05:18:00 م");
        QTest::newRow("last second") << QTime(23, 59, 59) << QStringLiteral("11:59:59 م");
    }
    void arabicLongTime() {
        QFETCH(QTime, time);
        QFETCH(QString, text);
        for (const char* name : {"ar", "ar_SA.UTF-8", "ar_EG", "ar_MA.utf8@latin", "AR_DZ"}) {
            const auto f = RegionalFormat::forLocale(QString::fromLatin1(name));
            QVERIFY2(f.isArabic(), name);
            QCOMPARE(f.longTime(time), text);
        }
    }

    void arabicShortDate() {
        const auto f = RegionalFormat::forLocale(QStringLiteral("ar_SA.UTF-8"));
        QCOMPARE(f.shortDate(QDate(2024, 3, 5)), QStringLiteral("05/03/2024"));
        QCOMPARE(f.shortDate(QDate(2008, 1, 15)), QStringLiteral("15/01/2008"));
        QCOMPARE(f.shortDate(QDate(1999, 12, 31)), QStringLiteral("31/12/1999"));
    }

    // Other locales get the C library's forms; the C locale is 24-hour.
    void otherLocales() {
        const auto c = RegionalFormat::forLocale(QStringLiteral("C.UTF-8"));
        QVERIFY(!c.isArabic());
        QCOMPARE(c.longTime(QTime(17, 18, 0)), QStringLiteral("17:18:00"));
        QCOMPARE(c.shortDate(QDate(2024, 3, 15)), QStringLiteral("03/15/24"));
        // A locale that is not there falls back to the C forms.
        const auto missing = RegionalFormat::forLocale(QStringLiteral("xx_YY.UTF-8"));
        QCOMPARE(missing.longTime(QTime(5, 6, 0)), QStringLiteral("05:06:00"));
        // Names that are not locale names at all.
        for (const QString& odd : {QStringLiteral("../../etc/passwd"), QStringLiteral("a\nb"),
                                   QString(300, QLatin1Char('x')), QStringLiteral("٠_ar")}) {
            const auto f = RegionalFormat::forLocale(odd);
            QVERIFY(!f.isArabic());
            QCOMPARE(f.longTime(QTime(5, 6, 0)), QStringLiteral("05:06:00"));
        }
    }

    void languageOfNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("language");
        QTest::newRow("plain") << "ar"
                               << "ar";
        QTest::newRow("territory") << "ar_SA"
                                   << "ar";
        QTest::newRow("codeset") << "ar_SA.UTF-8"
                                 << "ar";
        QTest::newRow("modifier") << "ar@latin"
                                  << "ar";
        QTest::newRow("upper") << "AR_sa"
                               << "ar";
        QTest::newRow("english") << "en_US.UTF-8"
                                 << "en";
        QTest::newRow("C") << "C"
                           << "";
        QTest::newRow("C.UTF-8") << "C.UTF-8"
                                 << "";
        QTest::newRow("POSIX") << "POSIX"
                               << "";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("digits") << "12_AR"
                                << "";
        QTest::newRow("dot first") << ".ar"
                                   << "";
    }
    void languageOfNames() {
        QFETCH(QString, name);
        QFETCH(QString, language);
        QCOMPARE(RegionalFormat::languageOf(name), language);
    }

    // The environment is read in POSIX order: LC_ALL, else LC_TIME, else LANG.
    void environmentOrder() {
        const QByteArray all = qgetenv("LC_ALL"), time = qgetenv("LC_TIME"), lang = qgetenv("LANG");
        auto set = [](const char* var, const char* value) {
            if (value)
                qputenv(var, value);
            else
                qunsetenv(var);
        };
        set("LC_ALL", nullptr);
        set("LC_TIME", nullptr);
        set("LANG", "ar_SA.UTF-8");
        QVERIFY(RegionalFormat::fromEnvironment().isArabic());
        set("LC_TIME", "C.UTF-8");
        QVERIFY(!RegionalFormat::fromEnvironment().isArabic());
        set("LC_ALL", "ar_EG.UTF-8");
        QVERIFY(RegionalFormat::fromEnvironment().isArabic());
        set("LC_ALL", "");
        QVERIFY(!RegionalFormat::fromEnvironment().isArabic()); // empty counts as unset
        set("LC_TIME", nullptr);
        set("LANG", nullptr);
        QCOMPARE(RegionalFormat::fromEnvironment().localeName(), QStringLiteral("C"));
        qputenv("LC_ALL", all);
        qputenv("LC_TIME", time);
        qputenv("LANG", lang);
    }
};

QTEST_APPLESS_MAIN(RegionalFormatTest)
#include "tst_regional_format.moc"
