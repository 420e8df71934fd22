// Seeded random instants, clock readings and calendar steps in several zones, checked against day numbers
// and the C library's zone database (testsupport/civil_model.h), over the years 1 to 9999 and at the
// clock changes of each zone.
#include "time/tests/time_test_support.h"

#include "testsupport/civil_model.h"

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace nnotes::testing {
namespace {

namespace civil = testsupport::civil;

// New York and Berlin step by an hour; Lord Howe by half an hour; Kathmandu keeps +5:45; Apia left out 30
// December 2011; Dublin's winter time is its daylight-saving side, an hour behind its standard time.
const char* const kZones[] = {
    "UTC",          "America/New_York", "Europe/Berlin", "Australia/Lord_Howe", "Asia/Kathmandu",
    "Pacific/Apia", "Europe/Dublin"};

std::string Where(const char* zone, uint32_t seed, int step) {
    return std::string("zone ") + zone + ", seed " + std::to_string(seed) + ", step " + std::to_string(step);
}

std::string Show(const Instant& t) {
    char text[40];
    std::snprintf(text, sizeof text, "(%u, %u)", t.words[0], t.words[1]);
    return text;
}

Instant InstantOf(int64_t utcHundredths) {
    Instant t{};
    civil::WordsOf(utcHundredths, &t.words[0], &t.words[1]);
    return t;
}

class TimeRandomTest : public ZonedTimeTest {
protected:
    const char* Zone() const override { return "UTC"; }

    // Draws UTC hundredths: anywhere in the years 1 to 9999, within a day of either end, in the 20th and
    // 21st centuries, or within three hours of one of the zone's clock changes.
    int64_t DrawInstant(std::mt19937& rng, const std::vector<int64_t>& changes) {
        const int64_t first = (civil::kFirstDay - civil::kEpochDay) * 8640000;
        const int64_t last = (civil::kLastDay - civil::kEpochDay + 1) * 8640000 - 1;
        switch (rng() % 6) {
        case 0:
        case 1:
            return std::uniform_int_distribution<int64_t>(first, last)(rng);
        case 2:
            return rng() % 2 ? first + rng() % 8640000 : last - rng() % 8640000;
        case 3:
            return std::uniform_int_distribution<int64_t>(-2208988800LL * 100, 4102444800LL * 100)(rng);
        default:
            if (changes.empty()) return std::uniform_int_distribution<int64_t>(first, last)(rng);
            return changes[rng() % changes.size()] * 100 +
                   std::uniform_int_distribution<int64_t>(-3 * 360000, 3 * 360000)(rng);
        }
    }

    std::vector<int64_t> Changes() {
        // 1900 to 2040.
        return civil::OffsetChanges(-2208988800LL, 2208988800LL);
    }
};

// Every instant reads as the C library reads it; its fields name it again, and read again in their own
// zone given outright they give the same clock.
TEST_F(TimeRandomTest, InstantsReadAsTheZoneDatabaseAndRebuildFromTheirFields) {
    for (const char* zone : kZones) {
        UseZone(zone);
        const std::vector<int64_t> changes = Changes();
        for (const uint32_t seed : {11u, 12u}) {
            std::mt19937 rng(seed);
            for (int step = 0; step < 1500; ++step) {
                const int64_t utc = DrawInstant(rng, changes);
                const std::string where = Where(zone, seed, step);
                const civil::Reading expected = civil::LocalReading(utc);
                TimeRecord r{};
                r.instant = InstantOf(utc);
                ASSERT_EQ(InstantToFields(&r), NOERROR) << where;
                const civil::Civil got{r.year, r.month, r.day, r.hour, r.minute, r.second, r.hundredth};
                ASSERT_EQ(got, expected.civil) << where;
                ASSERT_EQ(r.weekday, expected.weekday) << where;
                ASSERT_EQ(r.dst != 0, expected.dst) << where;
                const int64_t minutes =
                    (expected.offset >= 0 ? expected.offset + 30 : expected.offset - 30) / 60;
                ASSERT_EQ(int64_t{r.zone} + (r.dst ? 60 : 0), minutes) << where;
                if (std::string(zone) == "UTC") {
                    ASSERT_EQ(got, civil::UtcCivil(utc)) << where;
                }

                TimeRecord rebuilt = r;
                rebuilt.instant = Instant{{1, 1}};
                rebuilt.weekday = 0;
                ASSERT_EQ(FieldsToInstant(&rebuilt), NOERROR) << where;
                ASSERT_EQ(Show(rebuilt.instant), Show(r.instant)) << where;
                ASSERT_EQ(rebuilt.weekday, r.weekday) << where;

                TimeRecord fixed = r;
                ASSERT_EQ(InstantToZoneFields(&fixed), NOERROR) << where;
                ASSERT_EQ(0, std::memcmp(&fixed, &r, sizeof r)) << where;
            }
        }
    }
}

// Fields in a zone given outright: the instant is the clock less the offset; invalid fields are refused,
// and a clock beyond the years 1 to 9999 is out of range.
TEST_F(TimeRandomTest, FieldsInAGivenZoneNameTheClockLessTheOffset) {
    for (const char* zone : {"UTC", "America/New_York", "Asia/Kathmandu"}) {
        UseZone(zone);
        std::mt19937 rng(21);
        for (int step = 0; step < 3000; ++step) {
            const std::string where = Where(zone, 21, step);
            TimeRecord r{};
            r.year = rng() % 8 == 0 ? (rng() % 2 ? 1 : 9999) : static_cast<int32_t>(1 + rng() % 9999);
            r.month = static_cast<int32_t>(1 + rng() % 12);
            r.day = static_cast<int32_t>(1 + rng() % civil::MonthDays(r.year, r.month));
            r.hour = static_cast<int32_t>(rng() % 24);
            r.minute = static_cast<int32_t>(rng() % 60);
            r.second = static_cast<int32_t>(rng() % 60);
            r.hundredth = static_cast<int32_t>(rng() % 100);
            r.zone = static_cast<int32_t>(rng() % 1921) - 960;
            r.dst = rng() % 2;
            bool valid = true;
            switch (rng() % 10) {
            case 0:
                r.day = civil::MonthDays(r.year, r.month) + 1;
                valid = false;
                break;
            case 1:
                r.zone = rng() % 2 ? 961 : -961;
                valid = false;
                break;
            case 2:
                r.hour = 24;
                valid = false;
                break;
            case 3:
                r.month = rng() % 2 ? 0 : 13;
                r.day = 1;
                valid = false;
                break;
            default:
                break;
            }
            const Instant before{{7, 7}};
            r.instant = before;
            const STATUS status = FieldsToInstant(&r);
            if (!valid) {
                ASSERT_EQ(status, ERR_TIME_BAD_FIELDS) << where;
                ASSERT_EQ(Show(r.instant), Show(before)) << where;
                continue;
            }
            const civil::Civil c{r.year, r.month, r.day, r.hour, r.minute, r.second, r.hundredth};
            const int64_t local = civil::LocalSeconds(c) * 100 + c.hundredth;
            int64_t offset = int64_t{r.zone} * 60 + (r.dst ? 3600 : 0);
            // Where the zone's own offset at that moment rounds to the given one, its odd seconds are kept.
            const int64_t actual = civil::LibcReading(civil::FloorDiv(local, 100) - offset).offset;
            if ((actual >= 0 ? actual + 30 : actual - 30) / 60 * 60 == offset) offset = actual;
            const int64_t utc = local - offset * 100;
            if (!civil::InRange(utc)) {
                ASSERT_EQ(status, ERR_TIME_OUT_OF_RANGE) << where;
                continue;
            }
            ASSERT_EQ(status, NOERROR) << where;
            ASSERT_EQ(Show(r.instant), Show(InstantOf(utc))) << where;
            ASSERT_EQ(r.weekday, static_cast<int32_t>((civil::JulianDay(r.year, r.month, r.day) + 1) % 7) + 1)
                << where;
        }
    }
}

// A local clock reading written as text names the moment the zone database gives it: the earlier of two in
// an overlap, and in a gap the reading with the offset before the change.
TEST_F(TimeRandomTest, LocalClockTextFollowsGapsAndOverlaps) {
    for (const char* zone : kZones) {
        UseZone(zone);
        const std::vector<int64_t> changes = Changes();
        std::mt19937 rng(31);
        for (int step = 0; step < 800; ++step) {
            const std::string where = Where(zone, 31, step);
            // A local reading near a change (in its gap or overlap when it has one), or anywhere.
            int64_t localSeconds = 0;
            if (!changes.empty() && rng() % 3 != 0) {
                const int64_t change = changes[rng() % changes.size()];
                const int64_t before = civil::LibcReading(change - 1).offset;
                const int64_t after = civil::LibcReading(change).offset;
                const int64_t lo = change + std::min(before, after), hi = change + std::max(before, after);
                localSeconds = std::uniform_int_distribution<int64_t>(lo - 600, hi + 600)(rng);
            } else {
                localSeconds = std::uniform_int_distribution<int64_t>(-62135596800LL + 86400,
                                                                      253402300799LL - 86400)(rng);
            }
            const int hundredth = static_cast<int>(rng() % 100);
            const civil::Civil c = civil::UtcCivil(localSeconds * 100 + hundredth);
            char text[64];
            std::snprintf(text, sizeof text, "%04lld-%02d-%02d %02d:%02d:%02d.%02d",
                          static_cast<long long>(c.year), c.month, c.day, c.hour, c.minute, c.second,
                          c.hundredth);
            Instant got{};
            ASSERT_EQ(ConvertTextToTime(nullptr, nullptr, text, 80, &got), NOERROR) << where << " " << text;
            const int64_t utc = civil::LocalToUtcSeconds(localSeconds, -1) * 100 + hundredth;
            ASSERT_EQ(Show(got), Show(InstantOf(utc))) << where << " " << text;
        }
    }
}

// The text of an instant with a zone and no hundredths reads back as the same instant, in each date order,
// with either clock; without the zone it reads back the same unless the clock shows it twice.
TEST_F(TimeRandomTest, TextWithItsZoneReadsBackAsTheSameInstant) {
    for (const char* zone : kZones) {
        UseZone(zone);
        const std::vector<int64_t> changes = Changes();
        std::mt19937 rng(41);
        IntlSettings intl{};
        ASSERT_EQ(GetInternationalSettings(&intl), NOERROR);
        for (int step = 0; step < 800; ++step) {
            const std::string where = Where(zone, 41, step);
            const int64_t utc = civil::FloorDiv(DrawInstant(rng, changes), 100) * 100;
            const Instant t = InstantOf(utc);
            constexpr uint16_t kOrders[] = {INTL_DATE_MDY, INTL_DATE_DMY, INTL_DATE_YMD};
            intl.flags = static_cast<uint16_t>(kOrders[rng() % 3] | (rng() % 2 ? INTL_CLOCK_24_HOUR : 0));
            const char* const kSeparators[] = {"/", "-", "."};
            std::memset(intl.dateSeparator, 0, sizeof intl.dateSeparator);
            std::memcpy(intl.dateSeparator, kSeparators[rng() % 3], 1);
            const TimeTextFormat withZone{TIME_DATE_FULL, TIME_TIME_FULL, TIME_ZONE_ALWAYS,
                                          TIME_STRUCTURE_DATETIME};
            const TimeTextFormat plain{TIME_DATE_FULL, TIME_TIME_FULL, TIME_ZONE_NEVER,
                                       TIME_STRUCTURE_DATETIME};
            const std::string zoned = Text(t, &withZone, &intl), bare = Text(t, &plain, &intl);
            Instant back{};
            ASSERT_EQ(ConvertTextToTime(&intl, nullptr, zoned.c_str(), 80, &back), NOERROR)
                << where << " " << zoned;
            const civil::Reading reading = civil::LocalReading(utc);
            // A zone text is in whole minutes; an offset of odd seconds (local mean time) is found again only
            // where the zone itself has it at that moment.
            ASSERT_EQ(Show(back), Show(t)) << where << " " << zoned;
            ASSERT_EQ(ConvertTextToTime(&intl, nullptr, bare.c_str(), 80, &back), NOERROR)
                << where << " " << bare;
            const std::vector<int64_t> moments = civil::LocalMoments(civil::LocalSeconds(reading.civil));
            ASSERT_FALSE(moments.empty()) << where;
            ASSERT_EQ(Show(back), Show(InstantOf(moments.front() * 100))) << where << " " << bare;

            // The date alone is its local midnight.
            const TimeTextFormat dateOnly{TIME_DATE_FULL, TIME_TIME_FULL, TIME_ZONE_NEVER,
                                          TIME_STRUCTURE_DATE};
            const std::string day = Text(t, &dateOnly, &intl);
            civil::Civil midnight = reading.civil;
            midnight.hour = midnight.minute = midnight.second = midnight.hundredth = 0;
            const int64_t expected = civil::LocalToUtcSeconds(civil::LocalSeconds(midnight), -1) * 100;
            const STATUS status = ConvertTextToTime(&intl, nullptr, day.c_str(), 80, &back);
            if (!civil::InRange(expected)) {
                // Past the first day: out of range in the year 1, no date at all in the year 0.
                ASSERT_EQ(status, midnight.year < 1 ? ERR_TIME_BAD_TEXT : ERR_TIME_OUT_OF_RANGE)
                    << where << " " << day;
                continue;
            }
            ASSERT_EQ(status, NOERROR) << where << " " << day;
            ASSERT_EQ(Show(back), Show(InstantOf(expected))) << where << " " << day;
        }
    }
}

// Calendar steps keep the local clock on its daylight-saving side where the new day has it; elapsed steps
// move the instant; a step past the years 1 to 9999 is refused and leaves the instant.
TEST_F(TimeRandomTest, StepsFollowTheLocalCalendarThenElapsedTime) {
    for (const char* zone : kZones) {
        UseZone(zone);
        const std::vector<int64_t> changes = Changes();
        for (const uint32_t seed : {51u, 52u}) {
            std::mt19937 rng(seed);
            for (int step = 0; step < 700; ++step) {
                const std::string where = Where(zone, seed, step);
                const int64_t start = DrawInstant(rng, changes);
                const auto draw = [&rng](int32_t small) {
                    switch (rng() % 6) {
                    case 0:
                    case 1:
                    case 2:
                        return 0;
                    case 3:
                        return static_cast<int32_t>(static_cast<int64_t>(rng() % (2 * uint64_t(small) + 1)) -
                                                    small);
                    case 4:
                        return static_cast<int32_t>(rng() % 7) - 3;
                    default:
                        return static_cast<int32_t>(rng());
                    }
                };
                const int32_t years = draw(12000), months = draw(120000), days = draw(4000000);
                const int32_t hours = draw(100000), minutes = draw(1000000), seconds = draw(100000000);
                Instant t = InstantOf(start);
                const Instant before = t;
                const STATUS status = AdjustInstant(&t, seconds, minutes, hours, days, months, years);

                const std::optional<int64_t> expected =
                    civil::Adjusted(start, seconds, minutes, hours, days, months, years);
                if (!expected) {
                    ASSERT_EQ(status, ERR_TIME_OUT_OF_RANGE)
                        << where << " " << years << "y " << months << "m " << days << "d " << hours << "h "
                        << minutes << "min " << seconds << "s from " << Show(before) << " to " << Show(t);
                    ASSERT_EQ(Show(t), Show(before)) << where;
                    continue;
                }
                ASSERT_EQ(status, NOERROR) << where;
                ASSERT_EQ(Show(t), Show(InstantOf(*expected)))
                    << where << " " << years << "y " << months << "m " << days << "d " << hours << "h "
                    << minutes << "min " << seconds << "s from " << Show(before);

                // Hundredths are elapsed time too.
                const int32_t hundredths = draw(2000000000);
                Instant advanced = t;
                const STATUS advancedStatus = AdvanceInstant(&advanced, hundredths);
                if (civil::InRange(*expected + hundredths)) {
                    ASSERT_EQ(advancedStatus, NOERROR) << where;
                    ASSERT_EQ(Show(advanced), Show(InstantOf(*expected + hundredths))) << where;
                } else {
                    ASSERT_EQ(advancedStatus, ERR_TIME_OUT_OF_RANGE) << where;
                    ASSERT_EQ(Show(advanced), Show(t)) << where;
                }
            }
        }
    }
}

// Instants order as their moments; the special instants stand at their places around every date.
TEST_F(TimeRandomTest, ComparisonsFollowTheMoments) {
    std::mt19937 rng(61);
    const std::vector<int64_t> none;
    Instant minimum{}, maximum{}, wildcard{};
    ASSERT_EQ(TimeConstant(TIME_MINIMUM, &minimum), NOERROR);
    ASSERT_EQ(TimeConstant(TIME_MAXIMUM, &maximum), NOERROR);
    ASSERT_EQ(TimeConstant(TIME_WILDCARD, &wildcard), NOERROR);
    for (int step = 0; step < 5000; ++step) {
        const std::string where = Where("UTC", 61, step);
        const int64_t a = DrawInstant(rng, none);
        const int64_t b = rng() % 4 == 0 ? a + static_cast<int>(rng() % 3) - 1 : DrawInstant(rng, none);
        if (!civil::InRange(b)) continue;
        Instant ta = InstantOf(a), tb = InstantOf(b);
        if (rng() % 4 == 0)
            tb.words[1] |= static_cast<uint32_t>(rng() % 255 + 1)
                           << 24; // the spare top byte is not the moment
        ASSERT_EQ(Compare(ta, tb), (a > b) - (a < b)) << where;
        ASSERT_EQ(Compare(tb, ta), (b > a) - (b < a)) << where;
        ASSERT_LT(Compare(minimum, ta), 0) << where;
        ASSERT_LT(Compare(ta, maximum), 0) << where;
        ASSERT_LT(Compare(ta, wildcard), 0) << where;
    }
}

} // namespace
} // namespace nnotes::testing
