// This workstation's international settings.
#include "time/intl.h"

#include "process/process.h"
#include "time/time_calendar.h"
#include "time/time_zone.h"

#include <chrono>
#include <cstring>

namespace nnotes {
namespace {

template <size_t N>
void SetText(char (&field)[N], const char* text) {
    std::memset(field, 0, N);
    std::memcpy(field, text, std::min(std::strlen(text), N - 1));
}

template <size_t N>
std::string TextOr(const char (&field)[N], const char (&fallback)[N]) {
    const size_t length = strnlen(field, N);
    return length == 0 ? std::string(fallback) : std::string(field, length);
}

IntlSettings FixedSettings() {
    IntlSettings s{};
    s.flags = INTL_DATE_MDY;
    s.currencyDigits = 2;
    SetText(s.amText, "AM");
    SetText(s.pmText, "PM");
    SetText(s.currencyText, "$");
    SetText(s.thousandsText, ",");
    SetText(s.decimalText, ".");
    SetText(s.dateSeparator, "/");
    SetText(s.timeSeparator, ":");
    SetText(s.yesterdayText, "Yesterday");
    SetText(s.todayText, "Today");
    SetText(s.tomorrowText, "Tomorrow");
    return s;
}

} // namespace

STATUS GetInternationalSettings(IntlSettings* out) {
    if (STATUS s = RequireProcess()) return s;
    if (out == nullptr) return ERR_MISSING_ARGUMENT;
    IntlSettings s = FixedSettings();
    // The zone observes daylight saving when January and July of this year differ in it.
    const auto now = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
    const int64_t nowSeconds = now.time_since_epoch().count();
    int64_t year = 0;
    int32_t month = 0, day = 0;
    timecal::CivilFromDays(nowSeconds / 86400, &year, &month, &day);
    timezone::Offset current{}, january{}, july{};
    if (!timezone::OffsetAt(nowSeconds, &current) ||
        !timezone::OffsetAt(timecal::DaysFromCivil(year, 1, 15) * 86400, &january) ||
        !timezone::OffsetAt(timecal::DaysFromCivil(year, 7, 15) * 86400, &july))
        return ERR_TIME_NO_ZONE;
    s.timeZone = timezone::ZoneMinutes(current);
    if (january.dst || july.dst) s.flags |= INTL_DAYLIGHT_SAVING;
    *out = s;
    return NOERROR;
}

namespace intl {

TimeTextSettings TimeTextSettingsOf(const IntlSettings* record) {
    const IntlSettings fixed = FixedSettings();
    const IntlSettings& r = record != nullptr ? *record : fixed;
    TimeTextSettings t;
    t.order = (r.flags & INTL_DATE_MDY)   ? DateOrder::MonthDayYear
              : (r.flags & INTL_DATE_DMY) ? DateOrder::DayMonthYear
              : (r.flags & INTL_DATE_YMD) ? DateOrder::YearMonthDay
                                          : DateOrder::MonthDayYear;
    t.dateSeparator = TextOr(r.dateSeparator, fixed.dateSeparator);
    t.timeSeparator = TextOr(r.timeSeparator, fixed.timeSeparator);
    t.amText = TextOr(r.amText, fixed.amText);
    t.pmText = TextOr(r.pmText, fixed.pmText);
    t.clock24 = (r.flags & INTL_CLOCK_24_HOUR) != 0;
    return t;
}

} // namespace intl
} // namespace nnotes
