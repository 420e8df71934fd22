// Dates, free-standing text values and number, date and range lists, with the store and the API started.
#include "apifixture.h"
#include "ln/lndatetimeranges.h"
#include "ln/lndatetimes.h"
#include "ln/lnnumbers.h"
#include "ln/lntext.h"
#include "nnotes/note.h"
#include "nnotes/status.h"
#include "nnotes/timedate.h"

using namespace std::string_literals;

namespace {

std::string Value(LNItem& item) {
    std::string bytes(item.GetValueSize(), '\0');
    EXPECT_EQ(item.ReadValue(0, item.GetValueSize(), bytes.data()), 0u);
    return bytes;
}

using ValuesTest = ApiTest;

} // namespace

TEST_F(ValuesTest, SpecialInstantsReadBackAsTheirTexts) {
    LNString text;
    ASSERT_EQ(LNDatetime(nnotes::Instant{{0, 0}}).GetText(&text), 0u);
    EXPECT_EQ(Text(text), "Minimum Valid Date");
    ASSERT_EQ(LNDatetime(nnotes::Instant{{0, 0x00FFFFFF}}).GetText(&text), 0u);
    EXPECT_EQ(Text(text), "Maximum Valid Date");
    const LNDatetime wildcard(nnotes::Instant{{0xFFFFFFFF, 0xFFFFFFFF}});
    EXPECT_FALSE(wildcard.IsDateDefined());
    ASSERT_EQ(wildcard.GetText(&text), 0u);
    EXPECT_EQ(Text(text), "Any Day//Any Time");
    EXPECT_TRUE(LNDatetime(LNDATETIME_MINIMUM) < wildcard);
    EXPECT_EQ(Thrown([&] { (void)(LNDatetime() == wildcard); }), LNERR_NOT_INITIALIZED);
    EXPECT_EQ(LNDatetime().GetText(&text), LNERR_NOT_INITIALIZED);
}

TEST_F(ValuesTest, TextParsingAndFields) {
    LNSTATUS status = 1;
    LNDatetime date(LNString("01/15/2024 09:30:00 AM"), &status);
    ASSERT_EQ(status, 0u);
    int32_t month = 0, day = 0, year = 0;
    ASSERT_EQ(date.GetDate(&month, &day, &year), 0u);
    EXPECT_EQ(month * 10000 + day * 100 + year % 100, 11524);
    EXPECT_EQ(date.GetHour(), 9);
    LNString text;
    ASSERT_EQ(date.GetText(&text), 0u);
    EXPECT_EQ(Text(text), "01/15/2024 09:30:00 AM");
    ASSERT_EQ(date.AdjustDay(20), 0u);
    EXPECT_EQ(date.GetMonth(), 2);
    EXPECT_EQ(date.GetDay(), 4);
    EXPECT_EQ(date.SetDate(2, 30), LNERR_DATE_CONVERT);
    EXPECT_EQ(date.GetDay(), 4);
    LNDatetime bad(LNString("not a date"), &status);
    EXPECT_NE(status, 0u);
    EXPECT_FALSE(bad.IsDateDefined());
    LNDatetime empty(LNString(""), &status);
    EXPECT_EQ(status, LNERR_INVALID_PARAMETER);
    EXPECT_EQ(Thrown([] { LNDatetime(LNString("")); }), LNERR_INVALID_PARAMETER);
}

TEST_F(ValuesTest, SettersOnADefaultValueStartFromToday) {
    nnotes::TimeRecord now{};
    ASSERT_EQ(nnotes::CurrentTime(&now.instant), nnotes::NOERROR);
    ASSERT_EQ(nnotes::InstantToFields(&now), nnotes::NOERROR);
    LNDatetime hour;
    ASSERT_EQ(hour.SetHour(9), 0u);
    EXPECT_EQ(hour.GetHour(), 9);
    EXPECT_EQ(hour.GetHundredth(), 0);
    LNDatetime time;
    ASSERT_EQ(time.SetTime(9, 0, 0, 0), 0u);
    EXPECT_EQ(time.GetMinute(), 0);
    // The date stays today's (unless the test runs across midnight).
    EXPECT_NEAR(time.GetDay(), now.day, 1);
}

TEST_F(ValuesTest, RangesOfUndefinedDatesAreOpen) {
    const LNDatetimeRange open{LNDatetime()};
    EXPECT_FALSE(open.IsBeginDefined());
    EXPECT_EQ(open.GetRawValue()->begin.words[0], 0xFFFFFFFFu);
    EXPECT_FALSE(open.GetBegin().IsDateDefined());
    EXPECT_TRUE(open.GetBegin().IsSpecialCaseSet());
    LNString text;
    LNDatetimeRange half;
    ASSERT_EQ(half.SetBegin(LNDatetime(LNString("01/15/2024"))), 0u);
    EXPECT_EQ(half.GetText(&text), LNERR_NOT_INITIALIZED);
    LNDatetimeRange assigned;
    assigned = LNDatetime();
    EXPECT_FALSE(assigned.IsEndDefined());
}

TEST_F(ValuesTest, FreeStandingTextLists) {
    LNText text;
    EXPECT_EQ(text.Insert(1, "x"), LNERR_INVALID_PARAMETER);
    ASSERT_EQ(text.Append("one"), 0u);
    EXPECT_EQ(text.GetItemBody()->GetNSFType(), nnotes::TYPE_TEXT);
    ASSERT_EQ(text.Append("a\nb"), 0u);
    EXPECT_EQ(text.GetItemBody()->GetNSFType(), nnotes::TYPE_TEXT_LIST);
    EXPECT_EQ(Value(text), "\x01\x05\x02\x00\x03\x00\x03\x00one"s + "a\0b"s);
    EXPECT_EQ(Text(text[1].GetText()), "a\nb");
    EXPECT_EQ(Thrown([&] { text[2]; }), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(text.Delete(0, 0), 0u);
    EXPECT_EQ(text.Delete(1, 2), LNERR_INVALID_PARAMETER);
    text[0] = "zero";
    EXPECT_EQ(Text(text[0].GetText()), "zero");
    EXPECT_EQ(text.GetCount(), 2u);
    ASSERT_EQ(text.DeleteAll(), 0u);
    EXPECT_EQ(text.GetCount(), 0u);
    EXPECT_EQ(LNText().Delete(0, 1), LNERR_NOT_INITIALIZED);
    EXPECT_EQ(Thrown([] { LNText()[0]; }), LNERR_NOT_INITIALIZED);
    LNNumbers numbers;
    numbers.Append(1.5);
    EXPECT_EQ(Thrown([&] { LNText t(numbers); }), LNERR_CONVERSION);
}

TEST_F(ValuesTest, DateListsWriteTheListLayout) {
    const LNDatetime date(nnotes::Instant{{100, 2460000}});
    LNDatetimes dates;
    ASSERT_EQ(dates.Append(date), 0u);
    EXPECT_EQ(dates.GetItemBody()->GetNSFType(), nnotes::TYPE_TIME);
    EXPECT_EQ(Value(dates), "\x01\x04\x01\x00\x00\x00\x64\x00\x00\x00\x60\x89\x25\x00"s);
    ASSERT_EQ(dates.Append(date), 0u);
    EXPECT_EQ(dates.GetValueSize(), 22u);
    EXPECT_EQ(dates.GetItemBody()->GetNSFType(), nnotes::TYPE_TIME_RANGE);
    EXPECT_TRUE(dates[1].GetValue() == date);
    ASSERT_EQ(dates.Delete(0, 2), 0u);
    EXPECT_EQ(dates.GetValueSize(), 6u);
    EXPECT_EQ(dates.GetCount(), 0u);
    EXPECT_EQ(dates.Delete(0, 1), LNERR_INVALID_PARAMETER);
}

TEST_F(ValuesTest, RangeListsIndexInstantsThenPairs) {
    const LNDatetime a(nnotes::Instant{{1, 2460000}}), b(nnotes::Instant{{2, 2460000}});
    LNDatetimeRanges ranges;
    ASSERT_EQ(ranges.Insert(0, a), 0u);
    ASSERT_EQ(ranges.Insert(1, b), 0u);
    LNDatetimeRange pair;
    pair.SetBegin(a);
    pair.SetEnd(b);
    EXPECT_EQ(ranges.Insert(0, pair), LNERR_INVALID_PARAMETER);
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(ranges.Append(pair), 0u);
    EXPECT_EQ(ranges.GetCount(), 5u);
    EXPECT_EQ(ranges.GetValueSize(), 6u + 2 * 8 + 3 * 16);
    ASSERT_EQ(ranges.Delete(1, 3), 0u);
    EXPECT_EQ(ranges.GetRangesBody()->GetDatetimeCount(), 1u);
    EXPECT_EQ(ranges.GetRangesBody()->GetRangeCount(), 1u);
    EXPECT_TRUE(ranges[1].GetValue().IsEndDefined());
}

TEST_F(ValuesTest, NumberListsAndElements) {
    LNNumbers numbers;
    numbers += 1.0;
    numbers += 2.0;
    numbers[0] = 5.0;
    EXPECT_EQ(numbers.GetCount(), 2u);
    EXPECT_EQ(numbers[0].GetValue(), 5.0);
    EXPECT_EQ(numbers[1].GetValue(), 2.0);
    LNNumbers copy;
    ASSERT_EQ(copy.Append(numbers), 0u);
    ASSERT_EQ(copy.Insert(1, numbers), 0u);
    EXPECT_EQ(copy.GetCount(), 4u);
    EXPECT_EQ(copy[1].GetValue(), 5.0);
    EXPECT_EQ(copy.Insert(9, 1.0), LNERR_INVALID_PARAMETER);
}

TEST_F(ValuesTest, FreeStandingItemBodies) {
    LNItem item;
    EXPECT_EQ(item.ReadValue(0, 1, nullptr), LNERR_NOT_INITIALIZED);
    EXPECT_EQ(Thrown([&] { item.GetType(); }), LNERR_NOT_INITIALIZED);
    ASSERT_EQ(item.AllocateValue(4, nnotes::TYPE_NUMBER), 0u);
    const char bytes[4] = {1, 2, 3, 4};
    ASSERT_EQ(item.WriteValue(0, 4, bytes), 0u);
    char out[4] = {};
    EXPECT_EQ(item.ReadValue(0, 4, out), 0u);
    EXPECT_EQ(item.ReadValue(1, 4, out), LNERR_OFFSET_OUT_OF_ITEM);
    EXPECT_EQ(item.InsertSpace(2, 0), 0u);
    ASSERT_EQ(item.InsertSpace(2, 2), 0u);
    EXPECT_EQ(item.GetValueSize(), 6u);
    ASSERT_EQ(item.DeleteSpace(0, 2), 0u);
    EXPECT_EQ(item.GetValueSize(), 4u);
    EXPECT_EQ(item.DeleteSpace(3, 2), LNERR_OFFSET_OUT_OF_ITEM);
    ASSERT_EQ(item.ReadValue(2, 2, out), 0u);
    EXPECT_EQ(out[0], 3);
    EXPECT_EQ(out[1], 4);
    EXPECT_EQ(item.GetFlags(), 0u);
    EXPECT_EQ(item.GetType(), LNITEMTYPE_NUMBERS);
    EXPECT_EQ(item.GetItemBody()->Close(), 0u);
    EXPECT_EQ(item.GetItemBody()->Close(), LNWARN_NOT_OPEN);
}

TEST(ItemTypes, FromNSFTypesAndClasses) {
    EXPECT_EQ(LNItemTypeFromNSFType(nnotes::TYPE_TIME_RANGE, 0, LNCLASSID_LNITEMBODY), LNITEMTYPE_DATETIMES);
    EXPECT_EQ(LNItemTypeFromNSFType(nnotes::TYPE_TIME_RANGE, 0, LNCLASSID_LNDATETIMERANGESBODY),
              LNITEMTYPE_DATETIMERANGES);
    EXPECT_EQ(LNItemTypeFromNSFType(2, 0, LNCLASSID_LNITEMBODY), LNITEMTYPE_UNSUPPORTED);
    EXPECT_EQ(LNItemTypeFromNSFType(1537, 0, LNCLASSID_LNITEMBODY), LNITEMTYPE_UNSUPPORTED);
    EXPECT_EQ(LNItemTypeFromNSFType(1536, 0, LNCLASSID_LNITEMBODY), 1536u);
    EXPECT_EQ(LNItemTypeFromNSFType(1, 0, LNCLASSID_LNFONTTABLEBODY), LNITEMTYPE_FONTTABLE);
    LNITEMTYPE type = 0;
    uint16_t nsf = 0;
    LNItemTypeForClass(LNCLASSID_LNDATETIMES, &type, &nsf);
    EXPECT_EQ(type, LNITEMTYPE_DATETIMES);
    EXPECT_EQ(nsf, nnotes::TYPE_TIME_RANGE);
    LNItemTypeForClass(LNCLASSID_LNITEM, &type, nullptr);
    EXPECT_EQ(type, LNITEMTYPE_TEXT);
}

TEST_F(ValuesTest, ZonesKeepTheInstantOrTheReading) {
    LNSTATUS status = 1;
    LNDatetime date(LNString("01/15/2024 09:30:00 AM UTC"), &status);
    ASSERT_EQ(status, 0u);
    const nnotes::Instant instant = *date.GetRawValue();
    ASSERT_EQ(date.ConvertToZone(60), 0u);
    EXPECT_EQ(date.GetRawValue()->words[0], instant.words[0]);
    EXPECT_EQ(date.GetTimeZone(), 60);
    const int32_t hour = date.GetHour();
    ASSERT_EQ(date.SetTimeZone(-300), 0u);
    EXPECT_EQ(date.GetHour(), hour);
    EXPECT_NE(date.GetRawValue()->words[0], instant.words[0]);
    LNDatetime none;
    EXPECT_EQ(none.ConvertToZone(0), LNERR_NOT_INITIALIZED);
    EXPECT_EQ(none.AdjustDay(1), LNERR_NOT_INITIALIZED);
    EXPECT_EQ(Thrown([&] { none.GetYear(); }), LNERR_NOT_INITIALIZED);
    LNSetThrowAllErrors(true);
    EXPECT_EQ(Thrown([&] { none.AdjustDay(1); }), LNERR_NOT_INITIALIZED);
}
