#include "time/time_zone.h"

#include <ctime>
#include <initializer_list>

namespace nnotes::timezone {
namespace {

constexpr int64_t kSecondsPerDay = 86400;
constexpr int64_t kDstSeconds = 3600;

} // namespace

bool OffsetAt(int64_t utcSeconds, Offset* offset) {
    // localtime_r need not notice a changed TZ; tzset makes it, and costs little when nothing changed.
    tzset();
    const time_t t = static_cast<time_t>(utcSeconds);
    std::tm tm{};
    if (localtime_r(&t, &tm) == nullptr) return false;
    offset->seconds = tm.tm_gmtoff;
    offset->dst = tm.tm_isdst > 0;
    return true;
}

bool LocalToUtc(int64_t localSeconds, int preferDst, int64_t* utcSeconds) {
    // The offsets a day either side bracket any single clock change near this local time.
    Offset before{}, after{};
    if (!OffsetAt(localSeconds - kSecondsPerDay, &before) || !OffsetAt(localSeconds + kSecondsPerDay, &after))
        return false;
    bool found = false;
    int64_t best = 0;
    bool bestDst = false;
    for (const Offset& guess : {before, after}) {
        const int64_t candidate = localSeconds - guess.seconds;
        Offset actual{};
        if (!OffsetAt(candidate, &actual)) return false;
        if (actual.seconds != guess.seconds) continue;
        const bool better =
            !found ||
            (preferDst >= 0 ? (actual.dst == (preferDst != 0) && bestDst != actual.dst) : candidate < best);
        if (better) {
            best = candidate;
            bestDst = actual.dst;
        }
        found = true;
    }
    *utcSeconds = found ? best : localSeconds - before.seconds;
    return true;
}

int64_t RoundedMinutes(int64_t seconds) {
    return seconds >= 0 ? (seconds + 30) / 60 : -((-seconds + 30) / 60);
}

int32_t ZoneMinutes(const Offset& offset) {
    return static_cast<int32_t>(RoundedMinutes(offset.seconds - (offset.dst ? kDstSeconds : 0)));
}

int64_t ZoneSeconds(int32_t zone, uint32_t dst) {
    return static_cast<int64_t>(zone) * 60 + (dst != 0 ? kDstSeconds : 0);
}

} // namespace nnotes::timezone
