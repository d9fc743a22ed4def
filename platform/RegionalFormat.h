#pragma once

#include <QDate>
#include <QString>
#include <QTime>

#include <memory>

namespace platform {

// The user's regional time and date forms: the default text of a time value
// (the long-time form) and of a date value (the short-date form).
class RegionalFormat {
public:
    // The locale named by the environment, in POSIX order: LC_ALL, else LC_TIME, else LANG.
    static RegionalFormat fromEnvironment();
    // The locale with this POSIX name ("ar_SA.UTF-8", "en_US", "C", ...).
    static RegionalFormat forLocale(const QString& posixName);

    RegionalFormat(RegionalFormat&&) noexcept;
    RegionalFormat& operator=(RegionalFormat&&) noexcept;
    ~RegionalFormat();

    QString longTime(const QTime& t) const;
    QString shortDate(const QDate& d) const;

    QString localeName() const { return name_; }
    bool isArabic() const { return arabic_; }

    // The language part of a POSIX locale name: "ar" for "ar_EG.UTF-8@x", "" for "C".
    static QString languageOf(const QString& posixName);

private:
    RegionalFormat() = default;
    QString strftime(const char* pattern, int year, int month, int day, int hour, int minute,
                     int second) const;

    struct CLocale;
    QString name_;
    bool arabic_ = false;
    std::unique_ptr<CLocale> c_;
};

} // namespace platform
