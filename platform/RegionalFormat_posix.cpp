#include "RegionalFormat.h"

#include <QByteArray>
#include <QStringDecoder>

#include <clocale>
#include <ctime>
#include <langinfo.h>
#include <locale.h>

namespace platform {

// An Arabic locale gets the program's own form; any other a C library locale
// of our own (newlocale), so that nothing global is changed.
struct RegionalFormat::Locale {
    bool arabic = false;
    locale_t handle = static_cast<locale_t>(nullptr);
    ~Locale() {
        if (handle)
            freelocale(handle);
    }
    QString strftime(const char* pattern, int year, int month, int day, int hour, int minute,
                     int second) const;
};

RegionalFormat::RegionalFormat(std::unique_ptr<Locale> locale) : locale_(std::move(locale)) {}
RegionalFormat::RegionalFormat(RegionalFormat&&) noexcept = default;
RegionalFormat::~RegionalFormat() = default;
RegionalFormat& RegionalFormat::operator=(RegionalFormat&&) noexcept = default;

RegionalFormat RegionalFormat::fromEnvironment() {
    for (const char* var : {"LC_ALL", "LC_TIME", "LANG"}) {
        const QByteArray v = qgetenv(var);
        if (!v.isEmpty())
            return forLocale(QString::fromLocal8Bit(v));
    }
    return forLocale(QStringLiteral("C"));
}

RegionalFormat RegionalFormat::forLocale(const QString& posixName) {
    auto l = std::make_unique<Locale>();
    l->arabic = languageOf(posixName) == u"ar";
    if (l->arabic)
        return RegionalFormat(std::move(l));
    const QByteArray name = posixName.toLocal8Bit();
    if (!name.contains('\0') && !name.contains('/'))
        l->handle = newlocale(LC_TIME_MASK | LC_CTYPE_MASK, name.constData(),
                              static_cast<locale_t>(nullptr));
    if (!l->handle)
        l->handle = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return RegionalFormat(std::move(l));
}

QString RegionalFormat::Locale::strftime(const char* pattern, int year, int month, int day,
                                         int hour, int minute, int second) const {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    // Weekday and day of year, for patterns that name them.
    std::tm norm = tm;
    if (timegm(&norm) != static_cast<time_t>(-1)) {
        tm.tm_wday = norm.tm_wday;
        tm.tm_yday = norm.tm_yday;
    }
    char buf[256];
    const size_t n = strftime_l(buf, sizeof buf, pattern, &tm, handle);
    const char* codeset = nl_langinfo_l(CODESET, handle);
    QStringDecoder decode(codeset && *codeset ? codeset : "UTF-8");
    if (!decode.isValid())
        decode = QStringDecoder(QStringDecoder::Latin1);
    return decode(QByteArrayView(buf, static_cast<qsizetype>(n)));
}

QString RegionalFormat::longTime(const QTime& t) const {
    if (locale_->arabic) {
        // hh:mm:ss on a 12-hour clock, then a space and the Arabic AM/PM designator.
        const int h12 = t.hour() % 12 == 0 ? 12 : t.hour() % 12;
        return QStringLiteral("%1:%2:%3 %4")
            .arg(h12, 2, 10, QLatin1Char('0'))
            .arg(t.minute(), 2, 10, QLatin1Char('0'))
            .arg(t.second(), 2, 10, QLatin1Char('0'))
            .arg(t.hour() < 12 ? QStringLiteral("\u0635") : QStringLiteral("\u0645"));
    }
    return locale_->strftime("%X", 2000, 1, 1, t.hour(), t.minute(), t.second());
}

QString RegionalFormat::shortDate(const QDate& d) const {
    if (locale_->arabic)
        return d.toString(QStringLiteral("dd/MM/yyyy"));
    return locale_->strftime("%x", d.year(), d.month(), d.day(), 0, 0, 0);
}

} // namespace platform
