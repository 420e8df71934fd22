// Calendar and elapsed-time steps on instants.
#include "time/tests/time_test_support.h"

#include <climits>
#include <cstring>

namespace nnotes::testing {
namespace {

class AdjustTest : public ZonedTimeTest {
protected:
    // The default text of an instant after one AdjustInstant call that must succeed.
    static std::string Adjusted(const std::string& start, int32_t seconds, int32_t minutes, int32_t hours,
                                int32_t days, int32_t months, int32_t years) {
        Instant t = Parse(start);
        EXPECT_EQ(AdjustInstant(&t, seconds, minutes, hours, days, months, years), NOERROR) << start;
        return Text(t);
    }
};

TEST_F(AdjustTest, MonthStepsEndOnTheLastDayOfShorterMonths) {
    EXPECT_EQ(Adjusted("2024-01-31 10:00", 0, 0, 0, 0, 1, 0), "02/29/2024 10:00:00 AM");
    EXPECT_EQ(Adjusted("2023-01-31 10:00", 0, 0, 0, 0, 1, 0), "02/28/2023 10:00:00 AM");
    EXPECT_EQ(Adjusted("2024-03-31 10:00", 0, 0, 0, 0, -1, 0), "02/29/2024 10:00:00 AM");
    EXPECT_EQ(Adjusted("2024-05-31 10:00", 0, 0, 0, 0, 1, 0), "06/30/2024 10:00:00 AM");
    EXPECT_EQ(Adjusted("2024-12-15 10:00", 0, 0, 0, 0, 1, 0), "01/15/2025 10:00:00 AM");
    EXPECT_EQ(Adjusted("2024-01-15 10:00", 0, 0, 0, 0, -13, 0), "12/15/2022 10:00:00 AM");
    EXPECT_EQ(Adjusted("2024-01-15 10:00", 0, 0, 0, 0, 24, -2), "01/15/2024 10:00:00 AM");
}

TEST_F(AdjustTest, YearStepsFollowLeapYears) {
    EXPECT_EQ(Adjusted("2024-02-29 10:00", 0, 0, 0, 0, 0, 1), "02/28/2025 10:00:00 AM");
    EXPECT_EQ(Adjusted("2024-02-29 10:00", 0, 0, 0, 0, 0, 4), "02/29/2028 10:00:00 AM");
    EXPECT_EQ(Adjusted("2024-02-29 10:00", 0, 0, 0, 0, 0, 76), "02/28/2100 10:00:00 AM");
    EXPECT_EQ(Adjusted("2024-02-29 10:00", 0, 0, 0, 0, 0, -24), "02/29/2000 10:00:00 AM");
}

TEST_F(AdjustTest, DayStepsCrossMonthYearAndLeapDays) {
    EXPECT_EQ(Adjusted("2024-02-28 10:00", 0, 0, 0, 1, 0, 0), "02/29/2024 10:00:00 AM");
    EXPECT_EQ(Adjusted("2100-02-28 10:00", 0, 0, 0, 1, 0, 0), "03/01/2100 10:00:00 AM");
    EXPECT_EQ(Adjusted("2024-12-31 23:59:59", 0, 0, 0, 1, 0, 0), "01/01/2025 11:59:59 PM");
    EXPECT_EQ(Adjusted("2024-03-01 00:00", 0, 0, 0, -1, 0, 0), "02/29/2024 12:00:00 AM");
    EXPECT_EQ(Adjusted("2024-01-01 10:00", 0, 0, 0, 366, 0, 0), "01/01/2025 10:00:00 AM");
    // Months first, then days: 31 January + 1 month + 1 day is 1 March.
    EXPECT_EQ(Adjusted("2024-01-31 10:00", 0, 0, 0, 1, 1, 0), "03/01/2024 10:00:00 AM");
}

TEST_F(AdjustTest, DaysKeepTheClockAcrossDaylightSavingWhereHoursDoNot) {
    EXPECT_EQ(Adjusted("2024-03-30 10:00", 0, 0, 0, 1, 0, 0), "03/31/2024 10:00:00 AM");
    EXPECT_EQ(Adjusted("2024-03-30 10:00", 0, 0, 24, 0, 0, 0), "03/31/2024 11:00:00 AM");
    EXPECT_EQ(Adjusted("2024-10-26 10:00", 0, 0, 0, 1, 0, 0), "10/27/2024 10:00:00 AM");
    EXPECT_EQ(Adjusted("2024-10-26 10:00", 0, 0, 24, 0, 0, 0), "10/27/2024 09:00:00 AM");
    // A clock time that the change skips lands after it.
    EXPECT_EQ(Adjusted("2024-03-30 02:30", 0, 0, 0, 1, 0, 0), "03/31/2024 03:30:00 AM");
    EXPECT_EQ(Adjusted("2024-01-15 10:00", 90, 90, 1, 0, 0, 0), "01/15/2024 12:31:30 PM");
    EXPECT_EQ(Adjusted("2024-01-15 10:00", -60, 0, -11, 0, 0, 0), "01/14/2024 10:59:00 PM");
}

TEST_F(AdjustTest, ARepeatedHourKeepsItsDaylightSavingSide) {
    TimeRecord r{};
    r.year = 2024, r.month = 10, r.day = 26, r.hour = 2, r.minute = 30, r.zone = 60, r.dst = 1;
    ASSERT_EQ(FieldsToInstant(&r), NOERROR);
    Instant t = r.instant;
    ASSERT_EQ(AdjustInstant(&t, 0, 0, 0, 1, 0, 0), NOERROR);
    r.instant = t;
    ASSERT_EQ(InstantToFields(&r), NOERROR);
    EXPECT_EQ(r.day, 27);
    EXPECT_EQ(r.hour, 2);
    EXPECT_EQ(r.dst, 1u);

    // The second 02:30 of that night: zero counts leave it alone.
    r.dst = 0;
    ASSERT_EQ(FieldsToInstant(&r), NOERROR);
    Instant second = r.instant;
    ASSERT_EQ(AdjustInstant(&second, 0, 0, 0, 0, 0, 0), NOERROR);
    EXPECT_EQ(std::memcmp(&second, &r.instant, sizeof second), 0);
}

TEST_F(AdjustTest, StepsPastTheSupportedYearsAreRefusedAndChangeNothing) {
    const Instant last = Parse("9999-12-31 12:00");
    const Instant first = Parse("0001-01-01 12:00");
    const struct {
        Instant start;
        int32_t seconds, minutes, hours, days, months, years;
    } cases[] = {
        {last, 0, 0, 0, 1, 0, 0},
        {last, 0, 0, 0, 0, 1, 0},
        {last, 0, 0, 0, 0, 0, 1},
        {last, 0, 0, 24, 0, 0, 0},
        {first, 0, 0, 0, -1, 0, 0},
        {first, 0, 0, 0, 0, 0, -1},
        {first, 0, 0, 0, 0, 0, INT_MIN},
        {last, 0, 0, 0, 0, 0, INT_MAX},
        {last, 0, 0, 0, 0, INT_MAX, INT_MAX},
        {last, 0, 0, 0, INT_MAX, 0, 0},
        {first, 0, 0, 0, INT_MIN, 0, 0},
        {last, INT_MAX, INT_MAX, INT_MAX, 0, 0, 0},
        {first, INT_MIN, INT_MIN, INT_MIN, 0, 0, 0},
    };
    for (const auto& c : cases) {
        Instant t = c.start;
        EXPECT_EQ(AdjustInstant(&t, c.seconds, c.minutes, c.hours, c.days, c.months, c.years),
                  ERR_TIME_OUT_OF_RANGE)
            << c.days << " " << c.months << " " << c.years;
        EXPECT_EQ(std::memcmp(&t, &c.start, sizeof t), 0);
    }
    EXPECT_EQ(AdjustInstant(nullptr, 0, 0, 0, 1, 0, 0), ERR_MISSING_ARGUMENT);
    Instant malformed{{8640000, 2460325}};
    EXPECT_EQ(AdjustInstant(&malformed, 1, 0, 0, 0, 0, 0), ERR_TIME_BAD_INSTANT);
}

TEST_F(AdjustTest, AdvanceMovesByHundredthsAcrossUtcMidnight) {
    Instant t{{0, 2460325}};
    ASSERT_EQ(AdvanceInstant(&t, -1), NOERROR);
    EXPECT_EQ(t.words[0], 8639999u);
    EXPECT_EQ(t.words[1], 2460324u);
    ASSERT_EQ(AdvanceInstant(&t, 1), NOERROR);
    EXPECT_EQ(t.words[0], 0u);
    EXPECT_EQ(t.words[1], 2460325u);
    ASSERT_EQ(AdvanceInstant(&t, 8640000 * 3 + 150), NOERROR);
    EXPECT_EQ(t.words[0], 150u);
    EXPECT_EQ(t.words[1], 2460328u);
    ASSERT_EQ(AdvanceInstant(&t, INT_MAX), NOERROR);
    ASSERT_EQ(AdvanceInstant(&t, INT_MIN), NOERROR);
    ASSERT_EQ(AdvanceInstant(&t, 1), NOERROR);
    EXPECT_EQ(t.words[0], 150u);

    Instant last = Parse("9999-12-31 23:59:59.99");
    const Instant kept = last;
    EXPECT_EQ(AdvanceInstant(&last, 8640000), ERR_TIME_OUT_OF_RANGE);
    EXPECT_EQ(std::memcmp(&last, &kept, sizeof last), 0);
    EXPECT_EQ(AdvanceInstant(nullptr, 1), ERR_MISSING_ARGUMENT);
}

} // namespace
} // namespace nnotes::testing
