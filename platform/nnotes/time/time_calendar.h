// Calendar arithmetic for instants: the proleptic Gregorian calendar counted in days and hundredths of a
// second, independent of any time zone.
#pragma once

#include "nnotes/nnotes.h"

#include <cstdint>

namespace nnotes::timecal {

constexpr int64_t kHundredthsPerDay = 8640000;
constexpr int64_t kHundredthsPerSecond = 100;

// A reading of the calendar and the clock, in whatever zone the caller chose.
struct CivilTime {
    int64_t year;
    int32_t month;
    int32_t day;
    int32_t hour;
    int32_t minute;
    int32_t second;
    int32_t hundredth;
};

bool IsLeapYear(int64_t year);
int32_t DaysInMonth(int64_t year, int32_t month);
// Days since 1 January 1970 of a valid date, and back.
int64_t DaysFromCivil(int64_t year, int32_t month, int32_t day);
void CivilFromDays(int64_t days, int64_t* year, int32_t* month, int32_t* day);
// 1 (Sunday) to 7 (Saturday).
int32_t WeekdayFromDays(int64_t days);

// Whether the fields name a real calendar day and clock time; the year may be any that keeps the
// arithmetic exact (a few hundred thousand years either way).
bool IsValidCivil(const CivilTime& civil);
// Hundredths since midnight of 1 January 1970, and back.
int64_t HundredthsFromCivil(const CivilTime& civil);
CivilTime CivilFromHundredths(int64_t hundredths);
// Whole seconds of a count of hundredths, rounded down.
int64_t FloorSeconds(int64_t hundredths);

bool IsSpecial(const Instant& instant);
// An ordinary instant as UTC hundredths since 1970; specials and malformed words give ERR_TIME_SPECIAL or
// ERR_TIME_BAD_INSTANT.
STATUS DecodeInstant(const Instant& instant, int64_t* utcHundredths);
// The instant of UTC hundredths since 1970; outside the years 1 to 9999 gives ERR_TIME_OUT_OF_RANGE.
STATUS EncodeInstant(int64_t utcHundredths, Instant* instant);

} // namespace nnotes::timecal
