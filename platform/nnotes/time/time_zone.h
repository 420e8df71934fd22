// This workstation's time zone, from TZ and the system zone database.
#pragma once

#include "nnotes/nnotes.h"

#include <cstdint>

namespace nnotes::timezone {

// The offset from UTC in force at one moment.
struct Offset {
    int64_t seconds; // east positive
    bool dst;
};

constexpr int32_t kMaxZoneMinutes = 16 * 60;

// The local offset at a UTC moment (seconds since 1970); false when the zone database has no answer.
bool OffsetAt(int64_t utcSeconds, Offset* offset);
// The moment that the local clock shows as localSeconds. A clock time that occurs twice (the hour when
// daylight saving ends) resolves to the reading whose dst flag equals preferDst, or the earlier one when
// preferDst is negative; a time skipped by the clock change is read with the offset before the change,
// so it lands that far after the change.
bool LocalToUtc(int64_t localSeconds, int preferDst, int64_t* utcSeconds);

// Seconds to the nearest whole minute.
int64_t RoundedMinutes(int64_t seconds);
// TimeRecord's zone and dst for an offset: the standard-time offset in whole minutes.
int32_t ZoneMinutes(const Offset& offset);
// The offset named by a zone and dst pair.
int64_t ZoneSeconds(int32_t zone, uint32_t dst);

} // namespace nnotes::timezone
