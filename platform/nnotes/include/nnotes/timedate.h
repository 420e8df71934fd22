// libnnotes time: the 8-byte instant, time ranges, broken-down times, text formats and the international
// settings, and the operations that read, build, move, compare, parse and write instants.
#pragma once

#include <cstddef>
#include <cstdint>

#include "nnotes/status.h"

namespace nnotes {

// An instant is two 32-bit words, low word first: word 0 holds hundredths of a second since midnight UTC
// (0-8639999), word 1 the Julian day number of the UTC date in its low 24 bits (1 January 1970 is day
// 2440588). Readers ignore the top byte of word 1 and writers leave it 0.
// Ordinary instants lie in the years 1 to 9999. Three special instants stand apart from the calendar:
// minimum (0, 0), maximum (0, 0x00FFFFFF) and wildcard (all ones); they order lowest, above every date,
// and highest.
struct Instant {
    uint32_t words[2];
};
static_assert(sizeof(Instant) == 8);

// A range value as stored in items: begin, then end.
struct TimeRange {
    Instant begin;
    Instant end;
};
static_assert(sizeof(TimeRange) == 16);

// Codes of TimeConstant.
constexpr uint16_t TIME_MINIMUM = 0, TIME_MAXIMUM = 1, TIME_WILDCARD = 2;

// An instant with its broken-down reading. `zone` is the standard-time offset from UTC in minutes, east
// positive (Berlin 60, New York -300), at most 16 hours either way; `dst` non-zero adds one hour of
// daylight-saving time to it. `weekday` is 1 (Sunday) to 7 (Saturday).
struct TimeRecord {
    int32_t year;
    int32_t month;
    int32_t day;
    int32_t weekday;
    int32_t hour;
    int32_t minute;
    int32_t second;
    int32_t hundredth;
    uint32_t dst;
    int32_t zone;
    Instant instant;
};
static_assert(sizeof(TimeRecord) == 48 && offsetof(TimeRecord, instant) == 40);

// How InstantToText and RangeToText write an instant; the zero-initialised record with structure
// TIME_STRUCTURE_DATETIME is the default ("01/15/2024 09:30:00 AM").
struct TimeTextFormat {
    uint8_t dateFormat; // TIME_DATE_*
    uint8_t timeFormat; // TIME_TIME_*
    uint8_t zoneFormat; // TIME_ZONE_*
    uint8_t structure;  // TIME_STRUCTURE_*
};
static_assert(sizeof(TimeTextFormat) == 4);
constexpr uint8_t TIME_DATE_FULL = 0, TIME_DATE_MONTH_DAY = 1;   // day, month and 4-digit year | no year
constexpr uint8_t TIME_TIME_FULL = 0, TIME_TIME_HOUR_MINUTE = 1; // with seconds | without
constexpr uint8_t TIME_ZONE_NEVER = 0, TIME_ZONE_ALWAYS = 1;     // "UTC+01:00" after the time
constexpr uint8_t TIME_STRUCTURE_DATE = 0, TIME_STRUCTURE_TIME = 1, TIME_STRUCTURE_DATETIME = 2;

// The international settings record (139 bytes, packed). Texts are NUL-padded.
#pragma pack(push, 1)
struct IntlSettings {
    uint16_t flags;         // INTL_* bits; bits 5-7 hold the date order, one of INTL_DATE_*
    uint8_t currencyDigits; // 0-15
    uint8_t reserved;
    int32_t timeZone; // standard-time offset of this workstation, as TimeRecord::zone
    char amText[5];
    char pmText[5];
    char currencyText[5];
    char thousandsText[5];
    char decimalText[5];
    char dateSeparator[5];
    char timeSeparator[5];
    char yesterdayText[32];
    char todayText[32];
    char tomorrowText[32];
};
#pragma pack(pop)
static_assert(sizeof(IntlSettings) == 139 && offsetof(IntlSettings, timeZone) == 4 &&
              offsetof(IntlSettings, amText) == 8 && offsetof(IntlSettings, yesterdayText) == 43);
constexpr uint16_t INTL_CURRENCY_SUFFIX = 0x0001, INTL_CURRENCY_SPACE = 0x0002, INTL_LEADING_ZERO = 0x0004;
constexpr uint16_t INTL_CLOCK_24_HOUR = 0x0008, INTL_DAYLIGHT_SAVING = 0x0010;
constexpr uint16_t INTL_DATE_MDY = 0x0020, INTL_DATE_DMY = 0x0040, INTL_DATE_YMD = 0x0080;

constexpr STATUS ERR_TIME_BAD_INSTANT = 0x0302;
constexpr STATUS ERR_TIME_BAD_FIELDS = 0x0303;
constexpr STATUS ERR_TIME_OUT_OF_RANGE = 0x0304;
constexpr STATUS ERR_TIME_BAD_TEXT = 0x0305;
constexpr STATUS ERR_TIME_BAD_FORMAT = 0x0306;
constexpr STATUS ERR_TIME_BUFFER_TOO_SMALL = 0x0307;
constexpr STATUS ERR_TIME_BAD_CONSTANT = 0x0308;
constexpr STATUS ERR_TIME_SPECIAL = 0x0309;
constexpr STATUS ERR_TIME_NO_ZONE = 0x030A;

// The present moment.
STATUS CurrentTime(Instant* now);
// One of the special instants (TIME_MINIMUM, TIME_MAXIMUM, TIME_WILDCARD).
STATUS TimeConstant(uint16_t which, Instant* out);

// Reads record->instant in this workstation's zone (TZ and the system zone database) into the ten fields.
// A special instant succeeds with all ten fields 0.
STATUS InstantToFields(TimeRecord* record);
// Reads record->instant in the fixed zone record->zone (+1 hour when record->dst is set); where this
// workstation's zone has that offset to the minute at the instant, with its exact seconds, as
// FieldsToInstant.
STATUS InstantToZoneFields(TimeRecord* record);
// Sets record->instant (and record->weekday) from the date, time, zone and dst fields. Fields out of
// range are refused, not carried over: 31 February is an error.
STATUS FieldsToInstant(TimeRecord* record);

// Moves an ordinary instant: first years, months and days on the local calendar, keeping the local clock
// time (a day that has no such month day ends on the month's last day), then hours, minutes and seconds
// as elapsed time.
STATUS AdjustInstant(Instant* instant, int32_t seconds, int32_t minutes, int32_t hours, int32_t days,
                     int32_t months, int32_t years);
// Moves an ordinary instant by elapsed hundredths of a second.
STATUS AdvanceInstant(Instant* instant, int32_t hundredths);
// *result < 0, 0 or > 0 as a lies before, at or after b.
STATUS CompareInstants(const Instant* a, const Instant* b, int* result);

// Text conversions. intl and format may be null (GetInternationalSettings, default format). Text is read up
// to maxLength bytes or a NUL. It is written without a NUL when it fills maxLength exactly; a text longer
// than maxLength is refused and the buffer left as it was. Accepted text: a date ("01/15/2024", "15.01.24",
// "2024-01-15", month and day alone for this year), a time ("9:30", "09:30:00.25 PM"), or both (an ISO "T"
// may join them), optionally a zone after the time ("Z", "UTC", "GMT", "UTC+01:00", "-0500"), and the
// texts of the special instants ("Minimum Valid Date", "Maximum Valid Date", "Any Day//Any Time").
// A date alone means local midnight, a time alone today. Two-digit years 50-99 are 19xx, 00-49 20xx.
STATUS ConvertTextToTime(const IntlSettings* intl, const TimeTextFormat* format, const char* text,
                         uint16_t maxLength, Instant* out);
STATUS InstantToText(const IntlSettings* intl, const TimeTextFormat* format, const Instant* instant,
                     char* buffer, uint16_t maxLength, uint16_t* length);
// "begin - end".
STATUS RangeToText(const IntlSettings* intl, const TimeTextFormat* format, const TimeRange* range,
                   char* buffer, uint16_t maxLength, uint16_t* length);

// This workstation's international settings. Fixed values, not taken from the locale, so that stored text
// reads the same everywhere: month/day/year with "/", a 12-hour clock with "AM"/"PM" and ":", "." decimal,
// "," thousands, "$" with 2 digits, "Yesterday"/"Today"/"Tomorrow"; only the time zone and the
// daylight-saving flag come from the local zone.
STATUS GetInternationalSettings(IntlSettings* out);

} // namespace nnotes
