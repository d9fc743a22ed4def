// The locale names and regional patterns: any locale name, and any time and
// date, give the language part of the name and the long-time and short-date
// texts without failing; the Arabic form is always exactly the clock's form.
//
// Input: 8 bytes of time and date (hour, minute, second, year high, year low,
// month, day, unused), then the locale name.

#include "FuzzCheck.h"
#include "platform/RegionalFormat.h"

#include <QRegularExpression>

#include <cstddef>
#include <cstdint>

using platform::RegionalFormat;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 8)
        return 0;
    const QTime time(data[0] % 24, data[1] % 60, data[2] % 60);
    const int year = static_cast<std::int16_t>(data[3] << 8 | data[4]);
    // Any month and day, valid dates or not.
    const QDate date(year, data[5] % 14, data[6] % 33);
    const QString name = QString::fromUtf8(reinterpret_cast<const char*>(data + 8),
                                           static_cast<qsizetype>(size - 8));

    const QString lang = RegionalFormat::languageOf(name);
    static const QRegularExpression letters(QStringLiteral("^[a-z]*$"));
    fuzzCheck(letters.match(lang).hasMatch(), "a language is lower-case letters only");
    fuzzCheck(lang != u"c" && lang != u"posix", "C and POSIX name no language");
    fuzzCheck(name.toLower().startsWith(lang), "the language starts the name");

    const RegionalFormat format = RegionalFormat::forLocale(name);
    fuzzCheck(format.isArabic() == (lang == u"ar"), "Arabic exactly when the language is ar");
    fuzzCheck(format.localeName() == name, "the format keeps its name");
    const QString clock = format.longTime(time);
    const QString day = format.shortDate(date);
    if (format.isArabic()) {
        static const QRegularExpression arabic(
            QStringLiteral("^(0[1-9]|1[0-2]):[0-5][0-9]:[0-5][0-9] [\u0635\u0645]$"));
        fuzzCheck(arabic.match(clock).hasMatch(), "the Arabic clock text has its one form");
        fuzzCheck(clock.endsWith(time.hour() < 12 ? u'\u0635' : u'\u0645'),
                  "morning and afternoon are told apart");
        if (date.isValid() && date.year() > 0)
            fuzzCheck(
                day == QString::asprintf("%02d/%02d/%04d", date.day(), date.month(), date.year()),
                "the Arabic date is dd/MM/yyyy");
    } else {
        fuzzCheck(!clock.isEmpty(), "every locale writes a time");
    }
    return 0;
}
