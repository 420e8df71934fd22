// Text read as instants: the accepted forms, round trips through text, and text that is refused.
#include "time/tests/time_test_support.h"

#include <cstring>

namespace nnotes::testing {
namespace {

class ParseTest : public ZonedTimeTest {
protected:
    static STATUS TryParse(const char* text, Instant* out, const IntlSettings* intl = nullptr) {
        return ConvertTextToTime(intl, nullptr, text, 80, out);
    }

    static TimeRecord Today() {
        Instant now{};
        EXPECT_EQ(CurrentTime(&now), NOERROR);
        TimeRecord r{};
        r.instant = now;
        EXPECT_EQ(InstantToFields(&r), NOERROR);
        return r;
    }
};

TEST_F(ParseTest, AcceptsTheUsualDateAndTimeForms) {
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"01/15/2024 10:30:45 AM", "01/15/2024 10:30:45 AM"},
        {"1/5/2024", "01/05/2024 12:00:00 AM"},
        {"  1/15/2024   9:05 pm ", "01/15/2024 09:05:00 PM"},
        {"1-15-2024 21:05", "01/15/2024 09:05:00 PM"},
        {"1.15.2024 21:05:07", "01/15/2024 09:05:07 PM"},
        {"2024-01-15", "01/15/2024 12:00:00 AM"},
        {"2024-01-15T10:30:00", "01/15/2024 10:30:00 AM"},
        {"2024/1/15 10:30:00.5", "01/15/2024 10:30:00 AM"},
        {"01/15/24 10 AM", "01/15/2024 10:00:00 AM"},
        {"01/15/1999 12 PM", "01/15/1999 12:00:00 PM"},
        {"1/2/49 12:00 AM", "01/02/2049 12:00:00 AM"},
        {"1/2/50", "01/02/1950 12:00:00 AM"},
        {"1/2/00", "01/02/2000 12:00:00 AM"},
        {"1/2/0999", "01/02/0999 12:00:00 AM"},
        {"2/29/2024", "02/29/2024 12:00:00 AM"},
        {"2024-01-15T09:30:00Z", "01/15/2024 10:30:00 AM"},
        {"2024-01-15 09:30 UTC", "01/15/2024 10:30:00 AM"},
        {"2024-01-15 09:30 gmt", "01/15/2024 10:30:00 AM"},
        {"2024-01-15 04:30 -0500", "01/15/2024 10:30:00 AM"},
        {"2024-01-15 16:00 UTC+05:30", "01/15/2024 11:30:00 AM"},
        {"2024-01-15 11:30 +02", "01/15/2024 10:30:00 AM"},
        {"2024-07-15 10:30 UTC+02:00", "07/15/2024 10:30:00 AM"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Text(Parse(c.text)), c.expected) << c.text;
}

TEST_F(ParseTest, KeepsHundredthsAndReadsMissingPartsAsTodayOrMidnight) {
    TimeRecord r{};
    r.instant = Parse("2024-01-15 10:30:00.25");
    ASSERT_EQ(InstantToFields(&r), NOERROR);
    EXPECT_EQ(r.hundredth, 25);
    r.instant = Parse("2024-01-15 10:30:00.5");
    ASSERT_EQ(InstantToFields(&r), NOERROR);
    EXPECT_EQ(r.hundredth, 50);

    const TimeRecord today = Today();
    r.instant = Parse("7:45");
    ASSERT_EQ(InstantToFields(&r), NOERROR);
    const TimeRecord after = Today();
    EXPECT_TRUE(r.day == today.day || r.day == after.day); // the clock may pass midnight meanwhile
    EXPECT_EQ(r.hour, 7);
    EXPECT_EQ(r.minute, 45);

    r.instant = Parse("3/4");
    ASSERT_EQ(InstantToFields(&r), NOERROR);
    EXPECT_TRUE(r.year == today.year || r.year == after.year);
    EXPECT_EQ(r.month, 3);
    EXPECT_EQ(r.day, 4);
    EXPECT_EQ(r.hour + r.minute + r.second + r.hundredth, 0);
}

TEST_F(ParseTest, FollowsTheDateOrderAndSeparatorsOfTheSettings) {
    IntlSettings german{};
    ASSERT_EQ(GetInternationalSettings(&german), NOERROR);
    german.flags = (german.flags & ~0x00E0) | INTL_DATE_DMY | INTL_CLOCK_24_HOUR;
    std::strcpy(german.dateSeparator, ".");
    Instant t{};
    ASSERT_EQ(TryParse("15.01.2024 22:30", &t, &german), NOERROR);
    EXPECT_EQ(Text(t), "01/15/2024 10:30:00 PM");
    ASSERT_EQ(TryParse("15.01", &t, &german), NOERROR);
    EXPECT_EQ(Text(t, nullptr, &german).substr(0, 6), "15.01.");
    EXPECT_EQ(TryParse("01.15.2024", &t, &german), ERR_TIME_BAD_TEXT);

    IntlSettings finnish = german;
    std::strcpy(finnish.timeSeparator, ".");
    ASSERT_EQ(TryParse("15.01.2024 22.30.15", &t, &finnish), NOERROR);
    EXPECT_EQ(Text(t, nullptr, &finnish), "15.01.2024 22.30.15");
}

TEST_F(ParseTest, TextOfEveryFormatReadsBackToTheSameText) {
    IntlSettings german{};
    ASSERT_EQ(GetInternationalSettings(&german), NOERROR);
    german.flags = (german.flags & ~0x00E0) | INTL_DATE_DMY | INTL_CLOCK_24_HOUR;
    std::strcpy(german.dateSeparator, ".");
    const IntlSettings* settings[] = {nullptr, &german};
    const Instant instants[] = {Parse("2024-01-15 00:00"),    Parse("2024-03-31 03:00"),
                                Parse("2024-07-04 12:30:59"), Parse("2024-10-27 02:30"),
                                Parse("1999-12-31 23:59:59"), Parse("0001-01-02 01:00")};
    for (const IntlSettings* intl : settings)
        for (uint8_t date = 0; date <= TIME_DATE_MONTH_DAY; ++date)
            for (uint8_t clock = 0; clock <= TIME_TIME_HOUR_MINUTE; ++clock)
                for (uint8_t zone = 0; zone <= TIME_ZONE_ALWAYS; ++zone)
                    for (uint8_t structure = 0; structure <= TIME_STRUCTURE_DATETIME; ++structure) {
                        const TimeTextFormat format{date, clock, zone, structure};
                        // A zone shown without the full date reads back on another day, which may be on
                        // the other side of a daylight-saving change.
                        const bool partialDate =
                            structure == TIME_STRUCTURE_TIME || date == TIME_DATE_MONTH_DAY;
                        if (zone == TIME_ZONE_ALWAYS && partialDate) continue;
                        for (const Instant& t : instants) {
                            const std::string text = Text(t, &format, intl);
                            Instant back{};
                            ASSERT_EQ(ConvertTextToTime(intl, &format, text.c_str(), 80, &back), NOERROR)
                                << text;
                            EXPECT_EQ(Text(back, &format, intl), text);
                        }
                    }
}

TEST_F(ParseTest, TextWithItsZoneKeepsBothRepeatedHoursApart) {
    const TimeTextFormat zoned{TIME_DATE_FULL, TIME_TIME_FULL, TIME_ZONE_ALWAYS, TIME_STRUCTURE_DATETIME};
    for (uint32_t dst : {1u, 0u}) {
        TimeRecord r{};
        r.year = 2024, r.month = 10, r.day = 27, r.hour = 2, r.minute = 30, r.zone = 60, r.dst = dst;
        ASSERT_EQ(FieldsToInstant(&r), NOERROR);
        const std::string text = Text(r.instant, &zoned);
        EXPECT_EQ(text, dst ? "10/27/2024 02:30:00 AM UTC+02:00" : "10/27/2024 02:30:00 AM UTC+01:00");
        const Instant back = Parse(text);
        EXPECT_EQ(Compare(back, r.instant), 0) << text;
    }
    // Without a zone the repeated hour reads as its first occurrence.
    EXPECT_EQ(Text(Parse("10/27/2024 02:30"), &zoned), "10/27/2024 02:30:00 AM UTC+02:00");
}

TEST_F(ParseTest, SpecialNamesReadBackInAnyCase) {
    for (uint16_t code : {TIME_MINIMUM, TIME_MAXIMUM, TIME_WILDCARD}) {
        Instant expected{};
        ASSERT_EQ(TimeConstant(code, &expected), NOERROR);
        std::string name = Text(expected);
        EXPECT_EQ(Compare(Parse(name), expected), 0);
        for (char& c : name)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_EQ(Compare(Parse(" " + name + " "), expected), 0);
    }
}

TEST_F(ParseTest, RefusesTextThatIsNotADateOrTime) {
    const char* bad[] = {"",
                         "   ",
                         "hello",
                         "Today",
                         "13/01/2024",
                         "02/30/2024",
                         "2/29/2023",
                         "00/01/2024",
                         "1/2/0000",
                         "1/15/2024 24:00",
                         "1/15/2024 10:60",
                         "1/15/2024 10:30:60",
                         "1/15/2024 10:30:00.123",
                         "1/15/2024 10:30 XM",
                         "1/15/2024 13 PM",
                         "1/15/2024 0 AM",
                         "1/15/2024 10",
                         "10",
                         "1/2/3/4",
                         "1/15/20245",
                         "123/1/2024",
                         "1/123/2024",
                         "2024-01-15T",
                         "2024-01-15X10:00",
                         "1/15/2024 10:30 +25:00",
                         "1/15/2024 10:30 +0575",
                         "1/15/2024 10:30 UTC+",
                         "1/15/2024 10:30 UTC+1:5",
                         "1/15/2024 10:30 Z Z",
                         "1/15/2024 10:30 AM PM",
                         "1/15/2024 1234567890:00",
                         "1//2024",
                         "/1/2024",
                         "1/15/2024 10::30",
                         "Minimum Valid Date 1",
                         "Any Day"};
    for (const char* text : bad) {
        Instant t{{5, 6}};
        EXPECT_EQ(TryParse(text, &t), ERR_TIME_BAD_TEXT) << '"' << text << '"';
        EXPECT_EQ(t.words[0], 5u);
        EXPECT_EQ(t.words[1], 6u);
    }
    Instant t{};
    EXPECT_EQ(TryParse("1/1/0001 00:30 UTC+01:00", &t), ERR_TIME_OUT_OF_RANGE);
    EXPECT_EQ(TryParse(nullptr, &t), ERR_MISSING_ARGUMENT);
    EXPECT_EQ(TryParse("1/1/2024", nullptr), ERR_MISSING_ARGUMENT);
}

TEST_F(ParseTest, TheLocalReadingsOfTheFirstAndLastDaysReadBack) {
    const TimeTextFormat withZone{TIME_DATE_FULL, TIME_TIME_FULL, TIME_ZONE_ALWAYS, TIME_STRUCTURE_DATETIME};
    // 31 December 9999 at 23:30 UTC shows as the year 10000 in Berlin.
    const Instant last{{23 * 360000 + 30 * 6000, 5373484}};
    const std::string lastText = Text(last, &withZone);
    EXPECT_EQ(lastText, "01/01/10000 12:30:00 AM UTC+01:00");
    Instant back{};
    ASSERT_EQ(TryParse(lastText.c_str(), &back), NOERROR);
    EXPECT_EQ(Compare(back, last), 0);
    ASSERT_EQ(TryParse(Text(last).c_str(), &back), NOERROR);
    EXPECT_EQ(Compare(back, last), 0);

    // 1 January 1 at 03:00 UTC shows as the year 0 in New York, on its local mean time.
    UseZone("America/New_York");
    const Instant first{{3 * 360000, 1721426}};
    const std::string firstText = Text(first, &withZone);
    EXPECT_EQ(firstText, "12/31/0000 10:03:58 PM UTC-04:56");
    ASSERT_EQ(TryParse(firstText.c_str(), &back), NOERROR);
    EXPECT_EQ(Compare(back, first), 0);
    ASSERT_EQ(TryParse(Text(first).c_str(), &back), NOERROR);
    EXPECT_EQ(Compare(back, first), 0);
    // Beyond those days the years 0 and 10000 are still no dates.
    EXPECT_EQ(TryParse("12/30/0000 11:00 PM", &back), ERR_TIME_BAD_TEXT);
    EXPECT_EQ(TryParse("01/02/10000", &back), ERR_TIME_BAD_TEXT);
    EXPECT_EQ(TryParse("10000-01-01 12:30 UTC", &back), ERR_TIME_BAD_TEXT);
}

TEST_F(ParseTest, ReadsNoFurtherThanTheLengthOrANul) {
    const char text[] = {'0', '1', '/', '1', '5', '/', '2', '0', '2', '4', ' ', 'j', 'u', 'n', 'k'};
    Instant t{};
    ASSERT_EQ(ConvertTextToTime(nullptr, nullptr, text, 10, &t), NOERROR);
    EXPECT_EQ(Text(t), "01/15/2024 12:00:00 AM");
    EXPECT_EQ(ConvertTextToTime(nullptr, nullptr, text, sizeof text, &t), ERR_TIME_BAD_TEXT);
    ASSERT_EQ(ConvertTextToTime(nullptr, nullptr, "01/15/2024\0junk", 80, &t), NOERROR);
    EXPECT_EQ(ConvertTextToTime(nullptr, nullptr, "01/15/2024", 0, &t), ERR_TIME_BAD_TEXT);
}

} // namespace
} // namespace nnotes::testing
