#include "RegionalFormat.h"

#include <windows.h>

#include <string>

namespace platform {

// A locale by its Windows name ("ar-SA", "" for the invariant one), or the
// user's default locale with every change the user made to its forms.
struct RegionalFormat::Locale {
    bool user = false;
    std::wstring name;
    const wchar_t* id() const { return user ? LOCALE_NAME_USER_DEFAULT : name.c_str(); }
};

RegionalFormat::RegionalFormat(std::unique_ptr<Locale> locale) : locale_(std::move(locale)) {}
RegionalFormat::RegionalFormat(RegionalFormat&&) noexcept = default;
RegionalFormat::~RegionalFormat() = default;
RegionalFormat& RegionalFormat::operator=(RegionalFormat&&) noexcept = default;

RegionalFormat RegionalFormat::fromEnvironment() {
    auto l = std::make_unique<Locale>();
    l->user = true;
    return RegionalFormat(std::move(l));
}

RegionalFormat RegionalFormat::forLocale(const QString& posixName) {
    // "ar_SA.UTF-8@x" is "ar-SA" to Windows; "C" and "POSIX" are the
    // invariant locale, and so is any name Windows does not know.
    auto l = std::make_unique<Locale>();
    QString name = posixName.section(u'.', 0, 0).section(u'@', 0, 0);
    name.replace(u'_', u'-');
    if (!languageOf(posixName).isEmpty())
        l->name = name.toStdWString();
    if (!IsValidLocaleName(l->name.c_str()))
        l->name = LOCALE_NAME_INVARIANT;
    return RegionalFormat(std::move(l));
}

namespace {
// What a Get*FormatEx call writes, as a string; empty when it fails.
template <typename Format> QString formatted(Format format) {
    wchar_t buf[128];
    const int n = format(buf, int(std::size(buf)));
    return n > 0 ? QString::fromWCharArray(buf, n - 1) : QString();
}
} // namespace

QString RegionalFormat::longTime(const QTime& t) const {
    SYSTEMTIME st{};
    st.wYear = 2000;
    st.wMonth = st.wDay = 1;
    st.wHour = WORD(t.hour());
    st.wMinute = WORD(t.minute());
    st.wSecond = WORD(t.second());
    return formatted([&](wchar_t* buf, int size) {
        return GetTimeFormatEx(locale_->id(), 0, &st, nullptr, buf, size);
    });
}

QString RegionalFormat::shortDate(const QDate& d) const {
    SYSTEMTIME st{};
    st.wYear = WORD(d.year());
    st.wMonth = WORD(d.month());
    st.wDay = WORD(d.day());
    st.wDayOfWeek = WORD(d.dayOfWeek() % 7);
    return formatted([&](wchar_t* buf, int size) {
        return GetDateFormatEx(locale_->id(), DATE_SHORTDATE, &st, nullptr, buf, size, nullptr);
    });
}

} // namespace platform
