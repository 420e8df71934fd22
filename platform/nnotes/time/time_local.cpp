#include "time/time_local.h"

#include <initializer_list>

namespace nnotes::timelocal {

using timecal::kHundredthsPerSecond;

STATUS ReadLocal(const Instant& instant, timecal::CivilTime* civil, timezone::Offset* offset) {
    int64_t utc = 0;
    if (STATUS s = timecal::DecodeInstant(instant, &utc)) return s;
    if (!timezone::OffsetAt(timecal::FloorSeconds(utc), offset)) return ERR_TIME_NO_ZONE;
    *civil = timecal::CivilFromHundredths(utc + offset->seconds * kHundredthsPerSecond);
    return NOERROR;
}

STATUS LocalInstant(const timecal::CivilTime& civil, int preferDst, Instant* instant) {
    if (!timecal::IsValidCivil(civil)) return ERR_TIME_BAD_FIELDS;
    const int64_t local = timecal::HundredthsFromCivil(civil);
    const int64_t localSeconds = timecal::FloorSeconds(local);
    int64_t utcSeconds = 0;
    if (!timezone::LocalToUtc(localSeconds, preferDst, &utcSeconds)) return ERR_TIME_NO_ZONE;
    return timecal::EncodeInstant(local + (utcSeconds - localSeconds) * kHundredthsPerSecond, instant);
}

STATUS ZonedInstant(const timecal::CivilTime& civil, int64_t offsetSeconds, Instant* instant) {
    if (!timecal::IsValidCivil(civil)) return ERR_TIME_BAD_FIELDS;
    const int64_t local = timecal::HundredthsFromCivil(civil);
    const int64_t localSeconds = timecal::FloorSeconds(local);
    // The exact offset differs from the rounded one by under 30 seconds, so the moment it names lies within
    // 30 seconds of the rounded reading; near a change of offset either side of it may hold it.
    for (const int64_t probe : {int64_t{0}, int64_t{-30}, int64_t{30}}) {
        timezone::Offset actual{}, there{};
        if (timezone::OffsetAt(localSeconds - offsetSeconds + probe, &actual) &&
            timezone::RoundedMinutes(actual.seconds) * 60 == offsetSeconds &&
            timezone::OffsetAt(localSeconds - actual.seconds, &there) && there.seconds == actual.seconds) {
            offsetSeconds = actual.seconds;
            break;
        }
    }
    return timecal::EncodeInstant(local - offsetSeconds * kHundredthsPerSecond, instant);
}

} // namespace nnotes::timelocal
