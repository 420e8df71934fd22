// Dates beyond reading and writing text: what needs the API, setters and adjusters, copies and ranges.
#include "apifixture.h"
#include "ln/lndatetimerange.h"
#include "nnotes/timedate.h"

namespace {

class DatetimeTest : public ApiTest {
protected:
    void SetUp() override {
        // UTC keeps the local readings of these tests free of daylight-saving steps.
        const char* zone = std::getenv("TZ");
        zone_ = zone != nullptr ? zone : "";
        hadZone_ = zone != nullptr;
        setenv("TZ", "UTC", 1);
        ApiTest::SetUp();
    }
    void TearDown() override {
        ApiTest::TearDown();
        if (hadZone_)
            setenv("TZ", zone_.c_str(), 1);
        else
            unsetenv("TZ");
    }

    static LNDatetime Parse(const char* text) {
        LNSTATUS status = 1;
        LNDatetime date{LNString(text), &status};
        EXPECT_EQ(status, 0u) << text;
        return date;
    }

    std::string zone_;
    bool hadZone_ = false;
};

} // namespace

TEST(DatetimeWithoutAPI, OnlyRawValuesAndCopiesWork) {
    const LNDatetime raw(nnotes::Instant{{0, 0x00FFFFFF}});
    EXPECT_TRUE(raw.IsSpecialCaseSet());
    const LNDatetime copy = raw;
    EXPECT_EQ(copy.GetRawValue()->words[1], 0x00FFFFFFu);
    EXPECT_EQ(Thrown([] { LNDatetime date(LNDATETIME_MINIMUM); }), LNERR_SESSION_NOT_INITIALIZED);
    LNSTATUS status = 0;
    LNDatetime text(LNString(), &status);
    EXPECT_EQ(status, LNERR_SESSION_NOT_INITIALIZED);
    LNDatetime date;
    EXPECT_EQ(date.SetHour(1), LNERR_SESSION_NOT_INITIALIZED);
    EXPECT_EQ(Thrown([&] { (void)(copy == raw); }), LNERR_SESSION_NOT_INITIALIZED);
}

TEST_F(DatetimeTest, SettersWriteOnlyTheirFields) {
    LNDatetime date = Parse("03/10/2024 10:20:30.40 AM");
    ASSERT_EQ(date.SetYear(2023), 0u);
    ASSERT_EQ(date.SetMonth(4), 0u);
    ASSERT_EQ(date.SetDay(5), 0u);
    ASSERT_EQ(date.SetMinute(7), 0u);
    ASSERT_EQ(date.SetSecond(8), 0u);
    ASSERT_EQ(date.SetHundredth(9), 0u);
    int32_t month = 0, day = 0, year = 0, hour = 0, minute = 0, second = 0, hundredth = 0;
    ASSERT_EQ(date.GetDate(&month, &day, &year), 0u);
    ASSERT_EQ(date.GetTime(&hour, &minute, &second, &hundredth), 0u);
    EXPECT_EQ(std::to_string(year) + "-" + std::to_string(month) + "-" + std::to_string(day), "2023-4-5");
    EXPECT_EQ(hour * 1000000 + minute * 10000 + second * 100 + hundredth, 10070809);
    ASSERT_EQ(date.SetDate(12, 31, 1999), 0u);
    EXPECT_EQ(date.GetYear(), 1999);
    EXPECT_EQ(date.GetDayOfWeek(), 6); // a Friday
    EXPECT_FALSE(date.IsDST());
    // A refused date leaves every field as it was.
    EXPECT_EQ(date.SetDate(2, 30, 2001), LNERR_DATE_CONVERT);
    EXPECT_EQ(date.GetMonth(), 12);
    EXPECT_EQ(date.SetHour(24), LNERR_DATE_CONVERT);
    EXPECT_EQ(date.GetHour(), 10);
    EXPECT_EQ(LNDatetime().GetDate(&month, nullptr, nullptr), LNERR_NOT_INITIALIZED);
}

TEST_F(DatetimeTest, AdjustersStepTheCalendar) {
    LNDatetime date = Parse("01/31/2024 11:00:00 PM");
    ASSERT_EQ(date.AdjustMonth(1), 0u);
    EXPECT_EQ(date.GetMonth(), 2);
    EXPECT_EQ(date.GetDay(), 29);
    ASSERT_EQ(date.AdjustHour(2), 0u);
    EXPECT_EQ(date.GetDay(), 1);
    EXPECT_EQ(date.GetHour(), 1);
    ASSERT_EQ(date.AdjustYear(-1), 0u);
    EXPECT_EQ(date.GetYear(), 2023);
    ASSERT_EQ(date.AdjustMinute(90), 0u);
    EXPECT_EQ(date.GetHour(), 2);
    EXPECT_EQ(date.GetMinute(), 30);
    ASSERT_EQ(date.AdjustSecond(-1), 0u);
    EXPECT_EQ(date.GetSecond(), 59);
    ASSERT_EQ(date.AdjustHundredth(150), 0u);
    EXPECT_EQ(date.GetSecond(), 0);
    EXPECT_EQ(date.GetHundredth(), 50);
    LNDatetime max(LNDATETIME_MAXIMUM);
    EXPECT_EQ(max.AdjustDay(1), LNERR_NOT_INITIALIZED);
}

TEST_F(DatetimeTest, DateSettersKeepTheLocalClockWhereTheZoneItselfChanged) {
    const auto hourMinuteSecond = [](const LNDatetime& date) {
        return std::to_string(date.GetHour()) + ":" + std::to_string(date.GetMinute()) + ":" +
               std::to_string(date.GetSecond());
    };
    // Lord Howe Island keeps 10:30 east in winter and 11:00 in summer: half an hour of daylight saving.
    setenv("TZ", "Australia/Lord_Howe", 1);
    tzset();
    LNDatetime summer(nnotes::Instant{{1 * 360000, 2460325}}); // 15 January 2024, 12:00 local
    ASSERT_EQ(hourMinuteSecond(summer), "12:0:0");
    ASSERT_EQ(summer.SetDate(7, 15, 2024), 0u);
    EXPECT_EQ(hourMinuteSecond(summer), "12:0:0");
    EXPECT_EQ(hourMinuteSecond(LNDatetime(*summer.GetRawValue())), "12:0:0") << "as read back from an item";
    ASSERT_EQ(summer.SetMonth(1), 0u);
    EXPECT_EQ(hourMinuteSecond(LNDatetime(*summer.GetRawValue())), "12:0:0");

    // New York kept its mean time, 4:56:02 west, until 1883.
    setenv("TZ", "America/New_York", 1);
    tzset();
    LNDatetime modern(nnotes::Instant{{17 * 360000, 2460325}}); // 15 January 2024, 12:00 local
    ASSERT_EQ(modern.SetYear(1850), 0u);
    EXPECT_EQ(hourMinuteSecond(LNDatetime(*modern.GetRawValue())), "12:0:0");
    EXPECT_EQ(modern.GetTimeZone(), -296);

    // A value given a zone of its own keeps it.
    LNDatetime zoned(nnotes::Instant{{17 * 360000, 2460325}});
    ASSERT_EQ(zoned.SetTimeZone(60), 0u);
    ASSERT_EQ(zoned.SetYear(1850), 0u);
    EXPECT_EQ(zoned.GetTimeZone(), 60);
    EXPECT_EQ(hourMinuteSecond(zoned), "12:0:0");
}

TEST_F(DatetimeTest, ComparisonsAndAssignments) {
    const LNDatetime early = Parse("01/01/2020"), late = Parse("01/02/2020");
    EXPECT_TRUE(early < late);
    EXPECT_TRUE(early <= late);
    EXPECT_TRUE(late > early);
    EXPECT_TRUE(late >= early);
    EXPECT_TRUE(early != late);
    EXPECT_FALSE(early == late);
    EXPECT_TRUE(LNDatetime(LNDATETIME_MAXIMUM) > late);
    EXPECT_TRUE(LNDatetime(LNDATETIME_MINIMUM) < early);
    LNDatetime value = early;
    value = value;
    EXPECT_TRUE(value == early);
    value = LNDATETIME_WILDCARD;
    EXPECT_FALSE(value.IsDateDefined());
    EXPECT_EQ(value.GetRawValue()->words[0], 0xFFFFFFFFu);
    EXPECT_EQ(Thrown([&] { value = LNString("garbage"); }), nnotes::ERR_TIME_BAD_TEXT);
    EXPECT_FALSE(value.IsDateDefined());
    value = LNString("01/02/2020");
    EXPECT_TRUE(value == late);
    EXPECT_EQ(Thrown([&] { value = LNString(std::string(81, '1').c_str()); }), LNERR_STRING_TOO_LONG);
    EXPECT_EQ(Thrown([] { LNDatetime date{LNString("")}; }), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(static_cast<LNString>(late).GetByteLength(), 22u);
    EXPECT_EQ(Thrown([] { (void)static_cast<LNString>(LNDatetime()); }), LNERR_NOT_INITIALIZED);
}

TEST_F(DatetimeTest, RangeEnds) {
    const LNDatetime begin = Parse("01/01/2020"), end = Parse("01/31/2020");
    LNDatetimeRange range;
    EXPECT_FALSE(range.IsBeginDefined());
    ASSERT_EQ(range.SetBegin(begin), 0u);
    ASSERT_EQ(range.SetEnd(end), 0u);
    EXPECT_TRUE(range.GetBegin() == begin);
    EXPECT_TRUE(range.GetEnd() == end);
    LNString text;
    ASSERT_EQ(range.GetText(&text), 0u);
    EXPECT_EQ(std::string(text.GetPlatformTextPtr()), "01/01/2020 12:00:00 AM - 01/31/2020 12:00:00 AM");
    ASSERT_EQ(range.SetEnd(LNDatetime()), 0u);
    EXPECT_FALSE(range.IsEndDefined());
    EXPECT_EQ(range.GetRawValue()->end.words[1], 0xFFFFFFFFu);
    LNDatetimeRange single(begin.GetRawValue());
    EXPECT_TRUE(single.GetEnd() == begin);
    EXPECT_EQ(Thrown([] { LNDatetimeRange bad(static_cast<const nnotes::Instant*>(nullptr)); }),
              LNERR_ASSERTION_FAILED);
    // A special value keeps its instant in both ends but defines neither.
    range = LNDatetime(LNDATETIME_MAXIMUM);
    EXPECT_FALSE(range.IsBeginDefined());
    EXPECT_EQ(range.GetRawValue()->begin.words[1], 0x00FFFFFFu);
    range = LNDatetime(LNDATETIME_MINIMUM);
    EXPECT_EQ(range.GetRawValue()->begin.words[1], 0xFFFFFFFFu);
    const LNDatetimeRange special{LNDatetime(LNDATETIME_MAXIMUM)};
    EXPECT_EQ(special.GetRawValue()->begin.words[1], 0xFFFFFFFFu);
}
