// Day counting after H. Hinnant's civil-from-days algorithms, in 400-year eras so that no library call
// limits the range of years.
#include "time/time_calendar.h"

namespace nnotes::timecal {
namespace {

constexpr int64_t kUnixEpochJulianDay = 2440588; // the Julian day number of 1 January 1970
constexpr int64_t kMaxCivilYear = 1000000;

int64_t FloorDiv(int64_t a, int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

int64_t FirstDay() {
    return DaysFromCivil(1, 1, 1);
}
int64_t LastDay() {
    return DaysFromCivil(9999, 12, 31);
}

} // namespace

bool IsLeapYear(int64_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int32_t DaysInMonth(int64_t year, int32_t month) {
    static constexpr int32_t kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

int64_t DaysFromCivil(int64_t year, int32_t month, int32_t day) {
    const int64_t y = month <= 2 ? year - 1 : year;
    const int64_t era = FloorDiv(y, 400);
    const int64_t yearOfEra = y - era * 400;
    const int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(int64_t days, int64_t* year, int32_t* month, int32_t* day) {
    const int64_t z = days + 719468;
    const int64_t era = FloorDiv(z, 146097);
    const int64_t dayOfEra = z - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t mp = (5 * dayOfYear + 2) / 153;
    *day = static_cast<int32_t>(dayOfYear - (153 * mp + 2) / 5 + 1);
    *month = static_cast<int32_t>(mp < 10 ? mp + 3 : mp - 9);
    *year = yearOfEra + era * 400 + (*month <= 2 ? 1 : 0);
}

int32_t WeekdayFromDays(int64_t days) {
    // 1 January 1970 was a Thursday, weekday 5.
    return static_cast<int32_t>((days + 4) - FloorDiv(days + 4, 7) * 7) + 1;
}

bool IsValidCivil(const CivilTime& c) {
    return c.year >= -kMaxCivilYear && c.year <= kMaxCivilYear && c.month >= 1 && c.month <= 12 &&
           c.day >= 1 && c.day <= DaysInMonth(c.year, c.month) && c.hour >= 0 && c.hour <= 23 &&
           c.minute >= 0 && c.minute <= 59 && c.second >= 0 && c.second <= 59 && c.hundredth >= 0 &&
           c.hundredth <= 99;
}

int64_t HundredthsFromCivil(const CivilTime& c) {
    const int64_t clock = ((c.hour * 60 + c.minute) * 60 + c.second) * kHundredthsPerSecond + c.hundredth;
    return DaysFromCivil(c.year, c.month, c.day) * kHundredthsPerDay + clock;
}

CivilTime CivilFromHundredths(int64_t hundredths) {
    const int64_t days = FloorDiv(hundredths, kHundredthsPerDay);
    int64_t clock = hundredths - days * kHundredthsPerDay;
    CivilTime c{};
    CivilFromDays(days, &c.year, &c.month, &c.day);
    c.hundredth = static_cast<int32_t>(clock % 100);
    clock /= 100;
    c.second = static_cast<int32_t>(clock % 60);
    clock /= 60;
    c.minute = static_cast<int32_t>(clock % 60);
    c.hour = static_cast<int32_t>(clock / 60);
    return c;
}

int64_t FloorSeconds(int64_t hundredths) {
    return FloorDiv(hundredths, kHundredthsPerSecond);
}

bool IsSpecial(const Instant& t) {
    return (t.words[0] == 0 && (t.words[1] == 0 || t.words[1] == 0x00FFFFFFu)) ||
           (t.words[0] == 0xFFFFFFFFu && t.words[1] == 0xFFFFFFFFu);
}

STATUS DecodeInstant(const Instant& t, int64_t* utcHundredths) {
    if (IsSpecial(t)) return ERR_TIME_SPECIAL;
    const int64_t days = static_cast<int64_t>(t.words[1] & 0x00FFFFFFu) - kUnixEpochJulianDay;
    if (t.words[0] >= kHundredthsPerDay || days < FirstDay() || days > LastDay()) return ERR_TIME_BAD_INSTANT;
    *utcHundredths = days * kHundredthsPerDay + t.words[0];
    return NOERROR;
}

STATUS EncodeInstant(int64_t utcHundredths, Instant* t) {
    const int64_t days = FloorDiv(utcHundredths, kHundredthsPerDay);
    if (days < FirstDay() || days > LastDay()) return ERR_TIME_OUT_OF_RANGE;
    t->words[0] = static_cast<uint32_t>(utcHundredths - days * kHundredthsPerDay);
    t->words[1] = static_cast<uint32_t>(days + kUnixEpochJulianDay);
    return NOERROR;
}

} // namespace nnotes::timecal
