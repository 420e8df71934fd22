// An independent account of dates and local clocks for tests of the store's time services and of the date
// values built on them: Julian day numbers of the proleptic Gregorian calendar (Fliegel and Van Flandern),
// and local readings from the C library's zone database under TZ. Nothing here calls the store.
#pragma once

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace testsupport::civil {

// The zone of this process's local clock (TZ) for as long as it lives: Use sets one, and the end puts back
// what TZ was before, or none.
class ZoneOverride {
public:
    ZoneOverride() {
        if (const char* zone = std::getenv("TZ")) saved_ = zone;
    }
    ~ZoneOverride() {
        if (saved_)
            setenv("TZ", saved_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    ZoneOverride(const ZoneOverride&) = delete;
    ZoneOverride& operator=(const ZoneOverride&) = delete;

    static void Use(const char* zone) {
        setenv("TZ", zone, 1);
        tzset();
    }

private:
    std::optional<std::string> saved_;
};

constexpr int64_t kFirstDay = 1721426; // 1 January 1, as a Julian day number
constexpr int64_t kLastDay = 5373484;  // 31 December 9999
constexpr int64_t kEpochDay = 2440588; // 1 January 1970

struct Civil {
    int64_t year = 0;
    int month = 0, day = 0, hour = 0, minute = 0, second = 0, hundredth = 0;
    bool operator==(const Civil&) const = default;
};

inline bool Leap(int64_t y) {
    return y % 400 == 0 || (y % 100 != 0 && y % 4 == 0);
}

inline int MonthDays(int64_t y, int m) {
    if (m == 2) return Leap(y) ? 29 : 28;
    return (m == 4 || m == 6 || m == 9 || m == 11) ? 30 : 31;
}

// Valid for years from -4700 on.
inline int64_t JulianDay(int64_t y, int m, int d) {
    const int64_t a = (m - 14) / 12; // -1 for January and February, else 0
    return (1461 * (y + 4800 + a)) / 4 + (367 * (m - 2 - 12 * a)) / 12 - (3 * ((y + 4900 + a) / 100)) / 4 +
           d - 32075;
}

inline void FromJulianDay(int64_t jd, int64_t* y, int* m, int* d) {
    int64_t l = jd + 68569;
    const int64_t n = 4 * l / 146097;
    l -= (146097 * n + 3) / 4;
    const int64_t i = 4000 * (l + 1) / 1461001;
    l = l - 1461 * i / 4 + 31;
    const int64_t j = 80 * l / 2447;
    *d = static_cast<int>(l - 2447 * j / 80);
    l = j / 11;
    *m = static_cast<int>(j + 2 - 12 * l);
    *y = 100 * (n - 49) + i + l;
}

inline int64_t FloorDiv(int64_t a, int64_t b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// UTC hundredths since 1970 of an instant's two words (day number in the low 24 bits of word 1).
inline int64_t UtcHundredths(uint32_t word0, uint32_t word1) {
    return (static_cast<int64_t>(word1 & 0x00FFFFFFu) - kEpochDay) * 8640000 + word0;
}

inline void WordsOf(int64_t utcHundredths, uint32_t* word0, uint32_t* word1) {
    const int64_t day = FloorDiv(utcHundredths, 8640000);
    *word0 = static_cast<uint32_t>(utcHundredths - day * 8640000);
    *word1 = static_cast<uint32_t>(day + kEpochDay);
}

inline bool InRange(int64_t utcHundredths) {
    const int64_t day = FloorDiv(utcHundredths, 8640000) + kEpochDay;
    return day >= kFirstDay && day <= kLastDay;
}

// A UTC reading by day numbers alone.
inline Civil UtcCivil(int64_t utcHundredths) {
    const int64_t day = FloorDiv(utcHundredths, 8640000);
    int64_t clock = utcHundredths - day * 8640000;
    Civil c;
    FromJulianDay(day + kEpochDay, &c.year, &c.month, &c.day);
    c.hundredth = static_cast<int>(clock % 100);
    clock /= 100;
    c.second = static_cast<int>(clock % 60);
    c.minute = static_cast<int>(clock / 60 % 60);
    c.hour = static_cast<int>(clock / 3600);
    return c;
}

inline int64_t LocalSeconds(const Civil& c) {
    return (JulianDay(c.year, c.month, c.day) - kEpochDay) * 86400 + c.hour * 3600 + c.minute * 60 + c.second;
}

// What the C library says of one UTC second in the zone of TZ.
struct Reading {
    Civil civil; // hundredth 0
    int weekday; // 1 Sunday to 7 Saturday
    int64_t offset;
    bool dst;
};

inline Reading LibcReading(int64_t utcSeconds) {
    tzset();
    const time_t t = static_cast<time_t>(utcSeconds);
    std::tm tm{};
    localtime_r(&t, &tm);
    Reading r;
    r.civil.year = static_cast<int64_t>(tm.tm_year) + 1900;
    r.civil.month = tm.tm_mon + 1;
    r.civil.day = tm.tm_mday;
    r.civil.hour = tm.tm_hour;
    r.civil.minute = tm.tm_min;
    r.civil.second = tm.tm_sec;
    r.weekday = tm.tm_wday + 1;
    r.offset = tm.tm_gmtoff;
    r.dst = tm.tm_isdst > 0;
    return r;
}

// The local reading of an instant, hundredths included.
inline Reading LocalReading(int64_t utcHundredths) {
    Reading r = LibcReading(FloorDiv(utcHundredths, 100));
    r.civil.hundredth = static_cast<int>(utcHundredths - FloorDiv(utcHundredths, 100) * 100);
    return r;
}

// The UTC seconds at which the local clock shows localSeconds: none in a gap, two in an overlap (earlier
// first). Every offset in force within 18 hours either side is tried.
inline std::vector<int64_t> LocalMoments(int64_t localSeconds) {
    std::set<int64_t> offsets;
    for (int64_t h = -18; h <= 18; ++h)
        offsets.insert(LibcReading(localSeconds + h * 3600).offset);
    std::vector<int64_t> moments;
    for (const int64_t offset : offsets)
        if (LibcReading(localSeconds - offset).offset == offset) moments.push_back(localSeconds - offset);
    std::sort(moments.begin(), moments.end());
    moments.erase(std::unique(moments.begin(), moments.end()), moments.end());
    return moments;
}

// The moment a local clock reading names: in an overlap the one on the daylight-saving side preferDst
// names (the earlier when both or neither are, or preferDst is negative); in a gap the reading taken with
// the offset in force before the change.
inline int64_t LocalToUtcSeconds(int64_t localSeconds, int preferDst) {
    const std::vector<int64_t> moments = LocalMoments(localSeconds);
    if (moments.empty()) {
        // The offset before the change is the one in force at the earliest moment the clock could mean.
        int64_t largest = INT64_MIN;
        for (int64_t h = -18; h <= 18; ++h)
            largest = std::max(largest, LibcReading(localSeconds + h * 3600).offset);
        return localSeconds - LibcReading(localSeconds - largest).offset;
    }
    if (preferDst >= 0) {
        std::vector<int64_t> matching;
        for (const int64_t m : moments)
            if (LibcReading(m).dst == (preferDst != 0)) matching.push_back(m);
        if (matching.size() == 1) return matching.front();
    }
    return moments.front();
}

// The UTC seconds of every change of offset from first to last (UTC seconds), to the second.
inline std::vector<int64_t> OffsetChanges(int64_t first, int64_t last) {
    std::vector<int64_t> changes;
    int64_t previous = LibcReading(first).offset;
    for (int64_t t = first + 43200; t <= last; t += 43200) {
        const int64_t offset = LibcReading(t).offset;
        if (offset == previous) continue;
        int64_t lo = t - 43200, hi = t; // offset changes in (lo, hi]
        while (hi - lo > 1) {
            const int64_t mid = lo + (hi - lo) / 2;
            (LibcReading(mid).offset == previous ? lo : hi) = mid;
        }
        changes.push_back(hi);
        previous = offset;
    }
    return changes;
}

// A calendar step and an elapsed step as the store's AdjustInstant takes them: years and months on the local
// calendar (a month day past the new month's end becomes its last day), then days, keeping the local clock
// on the daylight-saving side it had; then elapsed seconds. Empty when either step leaves the years 1 to
// 9999.
inline std::optional<int64_t> Adjusted(int64_t utcHundredths, int64_t seconds, int64_t minutes, int64_t hours,
                                       int64_t days, int64_t months, int64_t years) {
    int64_t moved = utcHundredths;
    if (days != 0 || months != 0 || years != 0) {
        const Reading r = LocalReading(utcHundredths);
        const int64_t monthCount = r.civil.year * 12 + (r.civil.month - 1) + years * 12 + months;
        const int64_t y = FloorDiv(monthCount, 12);
        const int m = static_cast<int>(monthCount - y * 12) + 1;
        const int d = std::min(r.civil.day, MonthDays(y, m));
        // Any year, by whole 400-year cycles of 146097 days.
        const int64_t cycles = FloorDiv(y - 2000, 400);
        const int64_t jd = JulianDay(y - cycles * 400, m, d) + cycles * 146097 + days;
        if (jd < kFirstDay - 2 || jd > kLastDay + 2) return std::nullopt;
        Civil c = r.civil;
        FromJulianDay(jd, &c.year, &c.month, &c.day);
        moved = LocalToUtcSeconds(LocalSeconds(c), r.dst ? 1 : 0) * 100 + c.hundredth;
        if (!InRange(moved)) return std::nullopt;
    }
    moved += (hours * 3600 + minutes * 60 + seconds) * 100;
    if (!InRange(moved)) return std::nullopt;
    return moved;
}

} // namespace testsupport::civil
