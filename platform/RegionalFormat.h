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
    // The user's own forms: on Windows the regional settings of the user's
    // account; elsewhere the locale the environment names, in POSIX order
    // (LC_ALL, else LC_TIME, else LANG).
    static RegionalFormat fromEnvironment();
    // The forms of the locale with this POSIX name ("ar_SA.UTF-8", "en_US",
    // "C", ...). On Windows, the same locale's forms, with the user's own
    // changes when it is the user's locale.
    static RegionalFormat forLocale(const QString& posixName);

    RegionalFormat(RegionalFormat&&) noexcept;
    RegionalFormat& operator=(RegionalFormat&&) noexcept;
    ~RegionalFormat();

    QString longTime(const QTime& t) const;
    QString shortDate(const QDate& d) const;

    // The language part of a POSIX locale name: "ar" for "ar_EG.UTF-8@x", "" for "C".
    static QString languageOf(const QString& posixName);

private:
    struct Locale; // the platform's own handle on the locale
    explicit RegionalFormat(std::unique_ptr<Locale> locale);
    std::unique_ptr<Locale> locale_;
};

} // namespace platform
