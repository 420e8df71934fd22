// The present moment and the special instants.
#include "nnotes/nnotes.h"
#include "process/process.h"
#include "time/time_calendar.h"

#include <chrono>

namespace nnotes {

STATUS CurrentTime(Instant* now) {
    if (STATUS s = RequireProcess()) return s;
    if (now == nullptr) return ERR_MISSING_ARGUMENT;
    using Hundredths = std::chrono::duration<int64_t, std::centi>;
    const auto sinceEpoch =
        std::chrono::floor<Hundredths>(std::chrono::system_clock::now().time_since_epoch());
    return timecal::EncodeInstant(sinceEpoch.count(), now);
}

STATUS TimeConstant(uint16_t which, Instant* out) {
    if (STATUS s = RequireProcess()) return s;
    if (out == nullptr) return ERR_MISSING_ARGUMENT;
    switch (which) {
    case TIME_MINIMUM:
        *out = Instant{{0, 0}};
        return NOERROR;
    case TIME_MAXIMUM:
        *out = Instant{{0, 0x00FFFFFFu}};
        return NOERROR;
    case TIME_WILDCARD:
        *out = Instant{{0xFFFFFFFFu, 0xFFFFFFFFu}};
        return NOERROR;
    default:
        return ERR_TIME_BAD_CONSTANT;
    }
}

} // namespace nnotes
