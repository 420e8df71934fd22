// Instants and ranges written as text, and the international settings that steer it.
#include "time/tests/time_test_support.h"

#include <cstring>

namespace nnotes::testing {
namespace {

template <size_t N>
void Put(char (&field)[N], const char* text) {
    std::memset(field, 0, N);
    std::memcpy(field, text, std::strlen(text));
}

class TextTest : public ZonedTimeTest {
protected:
    static IntlSettings Settings() {
        IntlSettings intl{};
        EXPECT_EQ(GetInternationalSettings(&intl), NOERROR);
        return intl;
    }
};

TEST_F(TextTest, DefaultIsMonthDayYearWithA12HourClock) {
    EXPECT_EQ(Text(Parse("2024-01-15 10:30:45")), "01/15/2024 10:30:45 AM");
    EXPECT_EQ(Text(Parse("2024-01-15 00:05")), "01/15/2024 12:05:00 AM");
    EXPECT_EQ(Text(Parse("2024-01-15 12:00")), "01/15/2024 12:00:00 PM");
    EXPECT_EQ(Text(Parse("2024-07-04 23:59:59.99")), "07/04/2024 11:59:59 PM");
    EXPECT_EQ(Text(Parse("0001-01-01 01:00")), "01/01/0001 01:00:00 AM");
}

TEST_F(TextTest, FormatCodesChooseTheParts) {
    const Instant winter = Parse("2024-01-15 10:30:45"), summer = Parse("2024-07-15 10:30:45");
    const struct {
        TimeTextFormat format;
        Instant instant;
        const char* text;
    } cases[] = {
        {{TIME_DATE_FULL, TIME_TIME_FULL, TIME_ZONE_NEVER, TIME_STRUCTURE_DATE}, winter, "01/15/2024"},
        {{TIME_DATE_MONTH_DAY, TIME_TIME_FULL, TIME_ZONE_NEVER, TIME_STRUCTURE_DATE}, winter, "01/15"},
        {{TIME_DATE_FULL, TIME_TIME_FULL, TIME_ZONE_NEVER, TIME_STRUCTURE_TIME}, winter, "10:30:45 AM"},
        {{TIME_DATE_FULL, TIME_TIME_HOUR_MINUTE, TIME_ZONE_NEVER, TIME_STRUCTURE_TIME}, winter, "10:30 AM"},
        {{TIME_DATE_FULL, TIME_TIME_FULL, TIME_ZONE_ALWAYS, TIME_STRUCTURE_DATETIME},
         winter,
         "01/15/2024 10:30:45 AM UTC+01:00"},
        {{TIME_DATE_FULL, TIME_TIME_FULL, TIME_ZONE_ALWAYS, TIME_STRUCTURE_DATETIME},
         summer,
         "07/15/2024 10:30:45 AM UTC+02:00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Text(c.instant, &c.format), c.text);

    for (const TimeTextFormat bad : {TimeTextFormat{2, 0, 0, 2}, TimeTextFormat{0, 2, 0, 2},
                                     TimeTextFormat{0, 0, 2, 2}, TimeTextFormat{0, 0, 0, 3}}) {
        char buffer[80];
        uint16_t length = 0;
        EXPECT_EQ(InstantToText(nullptr, &bad, &winter, buffer, 80, &length), ERR_TIME_BAD_FORMAT);
        Instant parsed{};
        EXPECT_EQ(ConvertTextToTime(nullptr, &bad, "01/15/2024", 80, &parsed), ERR_TIME_BAD_FORMAT);
    }
}

TEST_F(TextTest, InternationalSettingsSetOrderSeparatorsAndClock) {
    const Instant t = Parse("2024-01-15 22:30:45");
    IntlSettings german = Settings();
    german.flags = (german.flags & ~0x00E0) | INTL_DATE_DMY | INTL_CLOCK_24_HOUR;
    Put(german.dateSeparator, ".");
    EXPECT_EQ(Text(t, nullptr, &german), "15.01.2024 22:30:45");

    IntlSettings iso = Settings();
    iso.flags = (iso.flags & ~0x00E0) | INTL_DATE_YMD;
    Put(iso.dateSeparator, "-");
    Put(iso.pmText, "pm");
    EXPECT_EQ(Text(t, nullptr, &iso), "2024-01-15 10:30:45 pm");

    // An edited record without order, separators or texts, or with unterminated ones, still gives sound text.
    IntlSettings bare{};
    EXPECT_EQ(Text(t, nullptr, &bare), "01/15/2024 10:30:45 PM");
    IntlSettings unterminated = Settings();
    std::memset(unterminated.dateSeparator, '#', sizeof unterminated.dateSeparator);
    EXPECT_EQ(Text(t, nullptr, &unterminated), "01#####15#####2024 10:30:45 PM");
}

TEST_F(TextTest, SpecialInstantsHaveTheirNames) {
    const struct {
        uint16_t code;
        const char* text;
    } cases[] = {{TIME_MINIMUM, "Minimum Valid Date"},
                 {TIME_MAXIMUM, "Maximum Valid Date"},
                 {TIME_WILDCARD, "Any Day//Any Time"}};
    for (const auto& c : cases) {
        Instant t{};
        ASSERT_EQ(TimeConstant(c.code, &t), NOERROR);
        EXPECT_EQ(Text(t), c.text);
    }
}

TEST_F(TextTest, BuffersTakeTheTextWholeOrNotAtAll) {
    const Instant t = Parse("2024-01-15 10:30:45"); // 22 characters
    char buffer[30];
    std::memset(buffer, '*', sizeof buffer);
    uint16_t length = 0;
    ASSERT_EQ(InstantToText(nullptr, nullptr, &t, buffer, 22, &length), NOERROR);
    EXPECT_EQ(length, 22);
    EXPECT_EQ(std::string(buffer, 22), "01/15/2024 10:30:45 AM");
    EXPECT_EQ(buffer[22], '*'); // no room for a NUL, none written

    std::memset(buffer, '*', sizeof buffer);
    length = 7;
    EXPECT_EQ(InstantToText(nullptr, nullptr, &t, buffer, 21, &length), ERR_TIME_BUFFER_TOO_SMALL);
    EXPECT_EQ(length, 7);
    EXPECT_EQ(buffer[0], '*');
    EXPECT_EQ(InstantToText(nullptr, nullptr, &t, buffer, 0, &length), ERR_TIME_BUFFER_TOO_SMALL);

    EXPECT_EQ(InstantToText(nullptr, nullptr, nullptr, buffer, 30, &length), ERR_MISSING_ARGUMENT);
    EXPECT_EQ(InstantToText(nullptr, nullptr, &t, nullptr, 30, &length), ERR_MISSING_ARGUMENT);
    EXPECT_EQ(InstantToText(nullptr, nullptr, &t, buffer, 30, nullptr), ERR_MISSING_ARGUMENT);
    const Instant malformed{{8640000, 2460325}};
    EXPECT_EQ(InstantToText(nullptr, nullptr, &malformed, buffer, 30, &length), ERR_TIME_BAD_INSTANT);
}

TEST_F(TextTest, RangesJoinTheirEndsWithADash) {
    const TimeRange range{Parse("2024-01-15 10:30"), Parse("2024-01-16 09:00")};
    char buffer[163];
    uint16_t length = 0;
    ASSERT_EQ(RangeToText(nullptr, nullptr, &range, buffer, 163, &length), NOERROR);
    EXPECT_EQ(std::string(buffer, length), "01/15/2024 10:30:00 AM - 01/16/2024 09:00:00 AM");

    const TimeTextFormat dates{TIME_DATE_FULL, TIME_TIME_FULL, TIME_ZONE_NEVER, TIME_STRUCTURE_DATE};
    ASSERT_EQ(RangeToText(nullptr, &dates, &range, buffer, 163, &length), NOERROR);
    EXPECT_EQ(std::string(buffer, length), "01/15/2024 - 01/16/2024");

    TimeRange open = range;
    ASSERT_EQ(TimeConstant(TIME_WILDCARD, &open.end), NOERROR);
    ASSERT_EQ(RangeToText(nullptr, nullptr, &open, buffer, 163, &length), NOERROR);
    EXPECT_EQ(std::string(buffer, length), "01/15/2024 10:30:00 AM - Any Day//Any Time");

    EXPECT_EQ(RangeToText(nullptr, nullptr, &range, buffer, 40, &length), ERR_TIME_BUFFER_TOO_SMALL);
    TimeRange broken = range;
    broken.end.words[0] = 0x7FFFFFFF;
    EXPECT_EQ(RangeToText(nullptr, nullptr, &broken, buffer, 163, &length), ERR_TIME_BAD_INSTANT);
    EXPECT_EQ(RangeToText(nullptr, nullptr, nullptr, buffer, 163, &length), ERR_MISSING_ARGUMENT);
}

TEST_F(TextTest, InternationalSettingsAreFixedApartFromTheZone) {
    const IntlSettings intl = Settings();
    EXPECT_EQ(intl.flags, INTL_DATE_MDY | INTL_DAYLIGHT_SAVING);
    EXPECT_EQ(intl.currencyDigits, 2);
    EXPECT_EQ(intl.timeZone, 60);
    EXPECT_STREQ(intl.amText, "AM");
    EXPECT_STREQ(intl.pmText, "PM");
    EXPECT_STREQ(intl.currencyText, "$");
    EXPECT_STREQ(intl.thousandsText, ",");
    EXPECT_STREQ(intl.decimalText, ".");
    EXPECT_STREQ(intl.dateSeparator, "/");
    EXPECT_STREQ(intl.timeSeparator, ":");
    EXPECT_STREQ(intl.yesterdayText, "Yesterday");
    EXPECT_STREQ(intl.todayText, "Today");
    EXPECT_STREQ(intl.tomorrowText, "Tomorrow");

    UseZone("America/New_York");
    EXPECT_EQ(Settings().timeZone, -300);
    UseZone("Asia/Tokyo");
    const IntlSettings tokyo = Settings();
    EXPECT_EQ(tokyo.timeZone, 540);
    EXPECT_EQ(tokyo.flags & INTL_DAYLIGHT_SAVING, 0);
    EXPECT_EQ(GetInternationalSettings(nullptr), ERR_MISSING_ARGUMENT);
}

} // namespace
} // namespace nnotes::testing
