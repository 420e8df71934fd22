// Instants read on this workstation's clock, and local clock readings turned into instants.
#pragma once

#include "nnotes/nnotes.h"
#include "time/time_calendar.h"
#include "time/time_zone.h"

namespace nnotes::timelocal {

// The local reading of an ordinary instant and the offset in force at it.
STATUS ReadLocal(const Instant& instant, timecal::CivilTime* civil, timezone::Offset* offset);
// The instant that the local clock shows as civil (see timezone::LocalToUtc for preferDst).
STATUS LocalInstant(const timecal::CivilTime& civil, int preferDst, Instant* instant);

// The instant of a clock reading at a fixed offset of whole minutes. Where the local zone at that moment
// has that offset to the minute, its exact offset is used: before standard zones, local mean time was
// offset by odd seconds, and the reading and the instant stay in step only with those.
STATUS ZonedInstant(const timecal::CivilTime& civil, int64_t offsetSeconds, Instant* instant);

} // namespace nnotes::timelocal
