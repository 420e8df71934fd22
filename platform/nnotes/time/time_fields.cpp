// Instants and their broken-down readings.
#include "nnotes/nnotes.h"
#include "process/process.h"
#include "time/time_calendar.h"
#include "time/time_local.h"
#include "time/time_zone.h"

namespace nnotes {
namespace {

using timecal::CivilTime;
using timecal::kHundredthsPerSecond;

void SetReading(TimeRecord* r, const CivilTime& c) {
    r->year = static_cast<int32_t>(c.year);
    r->month = c.month;
    r->day = c.day;
    r->weekday = timecal::WeekdayFromDays(timecal::DaysFromCivil(c.year, c.month, c.day));
    r->hour = c.hour;
    r->minute = c.minute;
    r->second = c.second;
    r->hundredth = c.hundredth;
}

// Special instants have no calendar reading.
void ClearReading(TimeRecord* r) {
    r->year = r->month = r->day = r->weekday = 0;
    r->hour = r->minute = r->second = r->hundredth = 0;
}

bool IsValidZone(int32_t zone) {
    return zone >= -timezone::kMaxZoneMinutes && zone <= timezone::kMaxZoneMinutes;
}

} // namespace

STATUS InstantToFields(TimeRecord* r) {
    if (STATUS s = RequireProcess()) return s;
    if (r == nullptr) return ERR_MISSING_ARGUMENT;
    if (timecal::IsSpecial(r->instant)) {
        ClearReading(r);
        r->dst = 0;
        r->zone = 0;
        return NOERROR;
    }
    CivilTime civil{};
    timezone::Offset offset{};
    if (STATUS s = timelocal::ReadLocal(r->instant, &civil, &offset)) return s;
    SetReading(r, civil);
    r->dst = offset.dst ? 1 : 0;
    r->zone = timezone::ZoneMinutes(offset);
    return NOERROR;
}

STATUS InstantToZoneFields(TimeRecord* r) {
    if (STATUS s = RequireProcess()) return s;
    if (r == nullptr) return ERR_MISSING_ARGUMENT;
    if (!IsValidZone(r->zone)) return ERR_TIME_BAD_FIELDS;
    if (timecal::IsSpecial(r->instant)) {
        ClearReading(r);
        return NOERROR;
    }
    int64_t utc = 0;
    if (STATUS s = timecal::DecodeInstant(r->instant, &utc)) return s;
    // As FieldsToInstant reads them: where this workstation's zone has the offset to the minute at that
    // instant, its odd seconds (local mean time) are kept, so that the fields name the instant again.
    int64_t offset = timezone::ZoneSeconds(r->zone, r->dst);
    timezone::Offset actual{};
    if (timezone::OffsetAt(timecal::FloorSeconds(utc), &actual) &&
        timezone::RoundedMinutes(actual.seconds) * 60 == offset)
        offset = actual.seconds;
    SetReading(r, timecal::CivilFromHundredths(utc + offset * kHundredthsPerSecond));
    return NOERROR;
}

STATUS FieldsToInstant(TimeRecord* r) {
    if (STATUS s = RequireProcess()) return s;
    if (r == nullptr) return ERR_MISSING_ARGUMENT;
    const CivilTime civil{r->year, r->month, r->day, r->hour, r->minute, r->second, r->hundredth};
    if (!IsValidZone(r->zone) || !timecal::IsValidCivil(civil)) return ERR_TIME_BAD_FIELDS;
    Instant instant{};
    if (STATUS s = timelocal::ZonedInstant(civil, timezone::ZoneSeconds(r->zone, r->dst), &instant)) return s;
    r->instant = instant;
    r->weekday = timecal::WeekdayFromDays(timecal::DaysFromCivil(civil.year, civil.month, civil.day));
    return NOERROR;
}

} // namespace nnotes
