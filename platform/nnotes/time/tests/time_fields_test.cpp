// Special instants and their order, and instants read as fields and built from them.
#include "time/tests/time_test_support.h"

#include <chrono>
#include <cstring>
#include <iterator>

namespace nnotes::testing {
namespace {

Instant Special(uint16_t code) {
    Instant t{};
    EXPECT_EQ(TimeConstant(code, &t), NOERROR);
    return t;
}

TimeRecord Fields(int year, int month, int day, int hour, int minute, int second, int hundredth, int zone,
                  uint32_t dst) {
    TimeRecord r{};
    r.year = year;
    r.month = month;
    r.day = day;
    r.hour = hour;
    r.minute = minute;
    r.second = second;
    r.hundredth = hundredth;
    r.zone = zone;
    r.dst = dst;
    return r;
}

using SpecialInstants = ZonedTimeTest;

TEST_F(SpecialInstants, HaveTheirFixedWords) {
    const Instant minimum = Special(TIME_MINIMUM), maximum = Special(TIME_MAXIMUM),
                  wildcard = Special(TIME_WILDCARD);
    EXPECT_EQ(minimum.words[0], 0u);
    EXPECT_EQ(minimum.words[1], 0u);
    EXPECT_EQ(maximum.words[0], 0u);
    EXPECT_EQ(maximum.words[1], 0x00FFFFFFu);
    EXPECT_EQ(wildcard.words[0], 0xFFFFFFFFu);
    EXPECT_EQ(wildcard.words[1], 0xFFFFFFFFu);

    Instant untouched{{7, 7}};
    EXPECT_EQ(TimeConstant(3, &untouched), ERR_TIME_BAD_CONSTANT);
    EXPECT_EQ(untouched.words[0], 7u);
    EXPECT_EQ(TimeConstant(TIME_MINIMUM, nullptr), ERR_MISSING_ARGUMENT);
}

TEST_F(SpecialInstants, OrderMinimumFirstThenDatesThenMaximumThenWildcard) {
    const Instant ordered[] = {Special(TIME_MINIMUM),           Parse("0001-01-01 01:00"),
                               Parse("1969-12-31 23:59:59"),    Parse("2024-01-15 10:30"),
                               Parse("2024-01-15 10:30:00.01"), Parse("9999-12-31 23:59:59"),
                               Special(TIME_MAXIMUM),           Special(TIME_WILDCARD)};
    for (size_t i = 0; i < std::size(ordered); ++i) {
        EXPECT_EQ(Compare(ordered[i], ordered[i]), 0) << i;
        for (size_t j = i + 1; j < std::size(ordered); ++j) {
            EXPECT_LT(Compare(ordered[i], ordered[j]), 0) << i << " " << j;
            EXPECT_GT(Compare(ordered[j], ordered[i]), 0) << i << " " << j;
        }
    }
}

TEST_F(SpecialInstants, CompareByMomentNotByTheSparedTopByte) {
    const Instant a = Parse("2024-01-15 10:30");
    Instant b = a;
    b.words[1] |= 0x85000000u;
    EXPECT_EQ(Compare(a, b), 0);
    int result = 0;
    EXPECT_EQ(CompareInstants(nullptr, &b, &result), ERR_MISSING_ARGUMENT);
    EXPECT_EQ(CompareInstants(&a, &b, nullptr), ERR_MISSING_ARGUMENT);
}

TEST_F(SpecialInstants, ExpandToZeroFieldsAndRefuseArithmetic) {
    for (uint16_t code : {TIME_MINIMUM, TIME_MAXIMUM, TIME_WILDCARD}) {
        TimeRecord r = Fields(2024, 1, 15, 10, 30, 0, 0, 60, 1);
        r.weekday = 3;
        r.instant = Special(code);
        ASSERT_EQ(InstantToFields(&r), NOERROR) << code;
        EXPECT_EQ(r.year + r.month + r.day + r.weekday + r.hour + r.minute + r.second + r.hundredth, 0);
        EXPECT_EQ(r.zone, 0);
        EXPECT_EQ(r.dst, 0u);

        Instant t = Special(code);
        EXPECT_EQ(AdjustInstant(&t, 0, 0, 0, 1, 0, 0), ERR_TIME_SPECIAL);
        EXPECT_EQ(AdvanceInstant(&t, 1), ERR_TIME_SPECIAL);
        EXPECT_EQ(std::memcmp(&t, &r.instant, sizeof t), 0);
    }
}

using FieldsTest = ZonedTimeTest;

TEST_F(FieldsTest, EncodeHundredthsSinceUtcMidnightAndTheJulianDay) {
    TimeRecord r = Fields(2024, 1, 15, 10, 30, 0, 25, 60, 0);
    ASSERT_EQ(FieldsToInstant(&r), NOERROR);
    EXPECT_EQ(r.instant.words[0], (9u * 3600 + 30 * 60) * 100 + 25);
    EXPECT_EQ(r.instant.words[1], 2460325u);
    EXPECT_EQ(r.weekday, 2); // a Monday

    TimeRecord back{};
    back.instant = r.instant;
    ASSERT_EQ(InstantToFields(&back), NOERROR);
    EXPECT_EQ(std::memcmp(&back, &r, sizeof r), 0);
}

TEST_F(FieldsTest, RoundTripOnBothSidesOfTheSpringChange) {
    TimeRecord before = Fields(2024, 3, 31, 1, 59, 59, 99, 60, 0);
    ASSERT_EQ(FieldsToInstant(&before), NOERROR);
    Instant next = before.instant;
    ASSERT_EQ(AdvanceInstant(&next, 1), NOERROR);
    TimeRecord after{};
    after.instant = next;
    ASSERT_EQ(InstantToFields(&after), NOERROR);
    EXPECT_EQ(after.hour, 3);
    EXPECT_EQ(after.minute + after.second + after.hundredth, 0);
    EXPECT_EQ(after.dst, 1u);
    EXPECT_EQ(after.zone, 60);

    TimeRecord rebuilt = after;
    ASSERT_EQ(FieldsToInstant(&rebuilt), NOERROR);
    EXPECT_EQ(std::memcmp(&rebuilt.instant, &next, sizeof next), 0);
}

TEST_F(FieldsTest, TheDstFlagPicksEitherRepeatedHourInAutumn) {
    TimeRecord summer = Fields(2024, 10, 27, 2, 30, 0, 0, 60, 1);
    TimeRecord winter = Fields(2024, 10, 27, 2, 30, 0, 0, 60, 0);
    ASSERT_EQ(FieldsToInstant(&summer), NOERROR);
    ASSERT_EQ(FieldsToInstant(&winter), NOERROR);
    EXPECT_EQ(summer.instant.words[0], 30u * 60 * 100); // 00:30 UTC
    EXPECT_EQ(winter.instant.words[0], 90u * 60 * 100); // 01:30 UTC
    for (const TimeRecord& original : {summer, winter}) {
        TimeRecord back{};
        back.instant = original.instant;
        ASSERT_EQ(InstantToFields(&back), NOERROR);
        EXPECT_EQ(std::memcmp(&back, &original, sizeof back), 0);
    }
}

TEST_F(FieldsTest, ADateMovedAcrossTheChangeLearnsItsDstFlagBeforeTheRealConversion) {
    // The date setters' order: convert a copy with the old flag, normalise it, read it back, take its flag.
    TimeRecord r = Local(2024, 1, 15, 10, 30);
    ASSERT_EQ(r.dst, 0u);
    TimeRecord copy = r;
    copy.month = 7;
    ASSERT_EQ(FieldsToInstant(&copy), NOERROR);
    ASSERT_EQ(AdjustInstant(&copy.instant, 0, 0, 0, 0, 0, 0), NOERROR);
    ASSERT_EQ(InstantToFields(&copy), NOERROR);
    EXPECT_EQ(copy.dst, 1u);
    r.dst = copy.dst;
    r.month = 7;
    ASSERT_EQ(FieldsToInstant(&r), NOERROR);
    EXPECT_EQ(Text(r.instant), "07/15/2024 10:30:00 AM");
    EXPECT_EQ(r.weekday, 2);
}

TEST_F(FieldsTest, KeepLocalMeanTimeExact) {
    // Berlin kept its own mean time, 53 minutes 28 seconds east, before 1893.
    const TimeRecord r = Local(1850, 6, 1, 12, 0, 0, 0);
    EXPECT_EQ(r.hour, 12);
    EXPECT_EQ(r.minute, 0);
    EXPECT_EQ(r.second, 0);
    TimeRecord rebuilt = r;
    ASSERT_EQ(FieldsToInstant(&rebuilt), NOERROR);
    EXPECT_EQ(std::memcmp(&rebuilt.instant, &r.instant, sizeof r.instant), 0);
}

TEST_F(FieldsTest, RefuseFieldsOutOfRangeAndLeaveTheInstant) {
    const TimeRecord bad[] = {
        Fields(2023, 2, 29, 0, 0, 0, 0, 60, 0),     Fields(2024, 2, 30, 0, 0, 0, 0, 60, 0),
        Fields(2024, 13, 1, 0, 0, 0, 0, 60, 0),     Fields(2024, 0, 1, 0, 0, 0, 0, 60, 0),
        Fields(2024, 4, 31, 0, 0, 0, 0, 60, 0),     Fields(2024, 1, 0, 0, 0, 0, 0, 60, 0),
        Fields(2024, 1, 1, 24, 0, 0, 0, 60, 0),     Fields(2024, 1, 1, 0, 60, 0, 0, 60, 0),
        Fields(2024, 1, 1, 0, 0, 60, 0, 60, 0),     Fields(2024, 1, 1, 0, 0, 0, 100, 60, 0),
        Fields(2024, 1, 1, -1, 0, 0, 0, 60, 0),     Fields(2024, 1, 1, 0, 0, 0, 0, 961, 0),
        Fields(2024, 1, 1, 0, 0, 0, 0, -961, 0),    Fields(2147483647, 1, 1, 0, 0, 0, 0, 0, 0),
        Fields(-2147483647, 1, 1, 0, 0, 0, 0, 0, 0)};
    for (TimeRecord r : bad) {
        r.instant = Instant{{1, 2}};
        EXPECT_EQ(FieldsToInstant(&r), ERR_TIME_BAD_FIELDS) << r.year << "-" << r.month << "-" << r.day;
        EXPECT_EQ(r.instant.words[0], 1u);
        EXPECT_EQ(r.instant.words[1], 2u);
    }
    TimeRecord late = Fields(10000, 1, 1, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(FieldsToInstant(&late), ERR_TIME_OUT_OF_RANGE);
    TimeRecord early = Fields(1, 1, 1, 0, 30, 0, 0, 60, 0); // 31 December of year 0 in UTC
    EXPECT_EQ(FieldsToInstant(&early), ERR_TIME_OUT_OF_RANGE);
    EXPECT_EQ(FieldsToInstant(nullptr), ERR_MISSING_ARGUMENT);
}

TEST_F(FieldsTest, RefuseMalformedInstants) {
    TimeRecord r{};
    r.instant = Instant{{8640000, 2460325}};
    EXPECT_EQ(InstantToFields(&r), ERR_TIME_BAD_INSTANT);
    r.instant = Instant{{0, 1721425}}; // the day before 1 January of year 1
    EXPECT_EQ(InstantToFields(&r), ERR_TIME_BAD_INSTANT);
    r.instant = Instant{{0, 5373485}}; // the day after 31 December 9999
    EXPECT_EQ(InstantToFields(&r), ERR_TIME_BAD_INSTANT);
    r.instant = Instant{{0, 0x00FFFFFE}};
    EXPECT_EQ(InstantToFields(&r), ERR_TIME_BAD_INSTANT);
    EXPECT_EQ(InstantToFields(nullptr), ERR_MISSING_ARGUMENT);

    r.instant = Instant{{0, 2460325u | 0x5A000000u}};
    ASSERT_EQ(InstantToFields(&r), NOERROR);
    EXPECT_EQ(r.day, 15);
}

TEST_F(FieldsTest, ReadInAnotherZoneKeepTheInstant) {
    TimeRecord r = Local(2024, 7, 1, 18, 0);
    ASSERT_EQ(r.zone, 60);
    ASSERT_EQ(r.dst, 1u);
    const Instant original = r.instant;
    r.zone = -300;
    ASSERT_EQ(InstantToZoneFields(&r), NOERROR);
    EXPECT_EQ(r.hour, 12); // 16:00 UTC in New York's summer time
    EXPECT_EQ(r.day, 1);
    ASSERT_EQ(FieldsToInstant(&r), NOERROR);
    EXPECT_EQ(std::memcmp(&r.instant, &original, sizeof original), 0);

    r.dst = 0;
    r.zone = 330;
    ASSERT_EQ(InstantToZoneFields(&r), NOERROR);
    EXPECT_EQ(r.hour, 21);
    EXPECT_EQ(r.minute, 30);

    r.zone = 1000;
    EXPECT_EQ(InstantToZoneFields(&r), ERR_TIME_BAD_FIELDS);
    EXPECT_EQ(InstantToZoneFields(nullptr), ERR_MISSING_ARGUMENT);
}

TEST_F(FieldsTest, TheWeekdayFollowsTheDate) {
    TimeRecord r = Local(2024, 2, 28);
    EXPECT_EQ(r.weekday, 4); // Wednesday
    r.day = 29;
    ASSERT_EQ(FieldsToInstant(&r), NOERROR);
    EXPECT_EQ(r.weekday, 5);
    EXPECT_EQ(Local(1970, 1, 1).weekday, 5);
    EXPECT_EQ(Local(1, 1, 1, 12).weekday, 2); // proleptic Gregorian: a Monday
    EXPECT_EQ(Local(9999, 12, 31).weekday, 6);
}

using NewYorkFields = NewYorkTimeTest;

TEST_F(NewYorkFields, RoundTripAcrossBothChanges) {
    TimeRecord daylight = Fields(2024, 11, 3, 1, 30, 0, 0, -300, 1);
    TimeRecord standard = Fields(2024, 11, 3, 1, 30, 0, 0, -300, 0);
    ASSERT_EQ(FieldsToInstant(&daylight), NOERROR);
    ASSERT_EQ(FieldsToInstant(&standard), NOERROR);
    int order = 0;
    ASSERT_EQ(CompareInstants(&daylight.instant, &standard.instant, &order), NOERROR);
    EXPECT_LT(order, 0);
    for (const TimeRecord& original : {daylight, standard}) {
        TimeRecord back{};
        back.instant = original.instant;
        ASSERT_EQ(InstantToFields(&back), NOERROR);
        EXPECT_EQ(std::memcmp(&back, &original, sizeof back), 0);
    }

    // 02:30 on 10 March 2024 never showed on New York clocks; read with standard time it lands at 03:30.
    TimeRecord skipped = Fields(2024, 3, 10, 2, 30, 0, 0, -300, 0);
    ASSERT_EQ(FieldsToInstant(&skipped), NOERROR);
    TimeRecord shown{};
    shown.instant = skipped.instant;
    ASSERT_EQ(InstantToFields(&shown), NOERROR);
    EXPECT_EQ(shown.hour, 3);
    EXPECT_EQ(shown.minute, 30);
    EXPECT_EQ(shown.dst, 1u);
}

TEST_F(NewYorkFields, LocalMeanTimeReadInItsOwnRoundedZoneKeepsTheInstant) {
    // New York kept 4:56:02 west until 1883; its zone reads -296 minutes. Read in that zone given outright,
    // an instant of 1850 shows the local clock, and the fields name the same instant again.
    TimeRecord local{};
    local.instant = Instant{{17 * 360000, 2396910}}; // 1 June 1850, 17:00 UTC
    ASSERT_EQ(InstantToFields(&local), NOERROR);
    EXPECT_EQ(local.zone, -296);
    TimeRecord zoned = local;
    ASSERT_EQ(InstantToZoneFields(&zoned), NOERROR);
    EXPECT_EQ(std::memcmp(&zoned, &local, sizeof zoned), 0);
    ASSERT_EQ(FieldsToInstant(&zoned), NOERROR);
    EXPECT_EQ(zoned.instant.words[0], local.instant.words[0]);
    EXPECT_EQ(zoned.instant.words[1], local.instant.words[1]);
}

class KathmanduFields : public ZonedTimeTest {
protected:
    const char* Zone() const override { return "Asia/Kathmandu"; }
};

TEST_F(KathmanduFields, LocalMeanTimeSecondsBeforeTheChangeRebuildsExactly) {
    // Kathmandu kept 5:41:16 east until the first moment of 1920 (18:18:44 UTC on 31 December 1919), then
    // 5:30. Its fields at 18:18:37.84 UTC, seven seconds before, name a moment on the far side of the change
    // when read with the rounded 5:41, and must still find their own offset.
    TimeRecord r{};
    r.instant = Instant{{6591784, 2422324}};
    ASSERT_EQ(InstantToFields(&r), NOERROR);
    EXPECT_EQ(r.zone, 341);
    EXPECT_EQ(r.hour, 23);
    EXPECT_EQ(r.minute, 59);
    EXPECT_EQ(r.second, 53);
    TimeRecord rebuilt = r;
    ASSERT_EQ(FieldsToInstant(&rebuilt), NOERROR);
    EXPECT_EQ(rebuilt.instant.words[0], r.instant.words[0]);
    EXPECT_EQ(rebuilt.instant.words[1], r.instant.words[1]);
}

using CurrentTimeTest = ZonedTimeTest;

TEST_F(CurrentTimeTest, LiesBetweenTwoReadingsOfTheSystemClock) {
    const auto hundredths = [] {
        using Hundredths = std::chrono::duration<int64_t, std::centi>;
        return std::chrono::floor<Hundredths>(std::chrono::system_clock::now().time_since_epoch()).count();
    };
    const int64_t before = hundredths();
    Instant now{};
    ASSERT_EQ(CurrentTime(&now), NOERROR);
    const int64_t after = hundredths();
    const int64_t read = (static_cast<int64_t>(now.words[1]) - 2440588) * 8640000 + now.words[0];
    EXPECT_LE(before, read);
    EXPECT_LE(read, after);
    EXPECT_EQ(CurrentTime(nullptr), ERR_MISSING_ARGUMENT);
}

TEST(TimeOutsideTheProcess, EveryCallAnswersNotInitialized) {
    Instant t{{0, 2460325}};
    Instant u = t;
    TimeRecord r{};
    r.instant = t;
    const TimeRange range{t, t};
    IntlSettings intl{};
    char buffer[80];
    uint16_t length = 0;
    int order = 0;
    EXPECT_EQ(CurrentTime(&t), ERR_NOT_INITIALIZED);
    EXPECT_EQ(TimeConstant(TIME_MINIMUM, &t), ERR_NOT_INITIALIZED);
    EXPECT_EQ(InstantToFields(&r), ERR_NOT_INITIALIZED);
    EXPECT_EQ(InstantToZoneFields(&r), ERR_NOT_INITIALIZED);
    EXPECT_EQ(FieldsToInstant(&r), ERR_NOT_INITIALIZED);
    EXPECT_EQ(AdjustInstant(&t, 0, 0, 0, 1, 0, 0), ERR_NOT_INITIALIZED);
    EXPECT_EQ(AdvanceInstant(&t, 1), ERR_NOT_INITIALIZED);
    EXPECT_EQ(CompareInstants(&t, &u, &order), ERR_NOT_INITIALIZED);
    EXPECT_EQ(ConvertTextToTime(nullptr, nullptr, "1/1/2024", 80, &t), ERR_NOT_INITIALIZED);
    EXPECT_EQ(InstantToText(nullptr, nullptr, &t, buffer, 80, &length), ERR_NOT_INITIALIZED);
    EXPECT_EQ(RangeToText(nullptr, nullptr, &range, buffer, 80, &length), ERR_NOT_INITIALIZED);
    EXPECT_EQ(GetInternationalSettings(&intl), ERR_NOT_INITIALIZED);
    EXPECT_EQ(std::memcmp(&t, &u, sizeof t), 0);
}

} // namespace
} // namespace nnotes::testing
