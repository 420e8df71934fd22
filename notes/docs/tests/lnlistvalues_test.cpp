// Replacing the whole value of number, date and range lists, and the range list's instants, inserted lists
// and element assignment, free-standing and in a note.
#include "docsfixture.h"
#include "ln/lndatetimeranges.h"
#include "ln/lndatetimes.h"
#include "ln/lndocument.h"
#include "ln/lnnumbers.h"
#include "nnotes/idtable.h"
#include "nnotes/note.h"
#include "nnotes/timedate.h"

using namespace std::string_literals;

namespace {

// Three instants of one day, told apart by their low word (dates need the API started).
LNDatetime Day(uint32_t word) {
    return LNDatetime(nnotes::Instant{{word, 2460000}});
}

LNDatetimeRange Span(const LNDatetime& begin, const LNDatetime& end) {
    LNDatetimeRange range;
    range.SetBegin(begin);
    range.SetEnd(end);
    return range;
}

// The entries of a range list as "a" (instant) or "a-b" (range), by the low word of each instant.
std::string Describe(const LNDatetimeRanges& list) {
    std::string out;
    for (uint32_t i = 0; i < list.GetCount(); ++i) {
        const LNDatetimeRange r = list[i].GetValue();
        const auto word = [](const LNDatetime& d) { return std::to_string(d.GetRawValue()->words[0]); };
        out += (i ? " " : "") + word(r.GetBegin());
        if (i >= list.GetDatetimeCount()) out += "-" + word(r.GetEnd());
    }
    return out;
}

using ListValuesTest = DocsTest;

TEST_F(ListValuesTest, SetValueReplacesTheWholeList) {
    const LNDatetime kA = Day(1), kB = Day(2), kC = Day(3);
    LNDatetimes dates, other;
    EXPECT_EQ(dates.SetValue(other), LNERR_INVALID_PARAMETER) << "a list without a body";
    ASSERT_EQ(dates.SetValue(kA), 0u) << "a new detached value";
    EXPECT_EQ(dates.GetItemBody()->GetNSFType(), nnotes::TYPE_TIME);
    other += kB;
    other += kC;
    ASSERT_EQ(dates.SetValue(other), 0u);
    EXPECT_EQ(dates.GetCount(), 2u);
    EXPECT_EQ(dates.GetItemBody()->GetNSFType(), nnotes::TYPE_TIME_RANGE);
    EXPECT_TRUE(dates[1].GetValue() == kC);
    ASSERT_EQ(dates.SetValue(dates), 0u) << "its own value";
    EXPECT_EQ(dates.GetCount(), 2u);

    LNNumbers numbers;
    ASSERT_EQ(numbers.SetValue(7.5), 0u);
    LNNumbers more;
    more += 1.0;
    more += 2.0;
    ASSERT_EQ(numbers.SetValue(more), 0u);
    EXPECT_EQ(numbers.GetCount(), 2u);
    ASSERT_EQ(numbers.SetValue(3.0), 0u);
    EXPECT_EQ(numbers.GetCount(), 1u);
    EXPECT_EQ(numbers[0].GetValue(), 3.0);

    LNDatetimeRanges ranges;
    ASSERT_EQ(ranges.SetValue(Span(kA, kB)), 0u);
    EXPECT_EQ(Describe(ranges), "1-2");
    ASSERT_EQ(ranges.SetValue(kC), 0u);
    EXPECT_EQ(Describe(ranges), "3");
    EXPECT_EQ(ranges.GetValueSize(), 14u);
}

TEST_F(ListValuesTest, SetValueWritesThroughToTheNote) {
    LNDocument doc;
    ASSERT_EQ(db_.CreateDocument(&doc), 0u);
    LNNumbers numbers;
    numbers += 1.0;
    ASSERT_EQ(doc.CreateItem("Amount", numbers), 0u);
    LNNumbers stored;
    ASSERT_EQ(doc.GetItem("Amount", &stored), 0u);
    LNNumbers three;
    three += 4.0;
    three += 5.0;
    three += 6.0;
    ASSERT_EQ(stored.SetValue(three), 0u);
    ASSERT_EQ(doc.Save(0), 0u);
    const nnotes::NOTEID id = doc.GetNoteID();
    doc.Close();
    const double values[3] = {4.0, 5.0, 6.0};
    EXPECT_EQ(StoredValue(id, "Amount"),
              "\x01\x03\x03\x00\x00\x00"s + std::string(reinterpret_cast<const char*>(values), 24));
}

TEST_F(ListValuesTest, RangeListsTakeInstantsAmongTheirInstants) {
    const LNDatetime kA = Day(1), kB = Day(2), kC = Day(3);
    LNDatetimeRanges ranges;
    ranges += Span(kA, kB);
    ranges += kC; // after the instants, which come before every range
    EXPECT_EQ(Describe(ranges), "3 1-2");
    ASSERT_EQ(ranges.Append(kA), 0u);
    EXPECT_EQ(Describe(ranges), "3 1 1-2");
    EXPECT_EQ(ranges.GetDatetimeCount(), 2u);
    EXPECT_EQ(ranges.GetRangeCount(), 1u);

    LNDatetimeRanges other;
    other += kB;
    other += Span(kC, kC);
    ASSERT_EQ(ranges.Insert(1, other), 0u) << "instants at 1, ranges at the front of the ranges";
    EXPECT_EQ(Describe(ranges), "3 2 1 3-3 1-2");
    ASSERT_EQ(ranges.Insert(5, other), 0u) << "at the end: instants after the instants";
    EXPECT_EQ(Describe(ranges), "3 2 1 2 3-3 1-2 3-3");
    EXPECT_EQ(ranges.Insert(9, other), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(ranges.Insert(0, LNDatetimeRanges()), LNERR_INVALID_PARAMETER);
    ranges += other;
    EXPECT_EQ(Describe(ranges), "3 2 1 2 2 3-3 1-2 3-3 3-3");

    LNDatetimeRanges fresh;
    ASSERT_EQ(fresh.Insert(0, other), 0u);
    EXPECT_EQ(Describe(fresh), "2 3-3");
    EXPECT_EQ(LNDatetimeRanges().Insert(1, other), LNERR_INVALID_PARAMETER);
}

TEST_F(ListValuesTest, RangeElementsKeepOrChangeTheirKind) {
    const LNDatetime kA = Day(1), kB = Day(2), kC = Day(3);
    LNDatetimeRanges ranges;
    ranges += kA;
    ranges += kB;
    ranges += Span(kA, kC);
    ranges[1] = kC;
    EXPECT_EQ(Describe(ranges), "1 3 1-3");
    ranges[2] = Span(kB, kC);
    EXPECT_EQ(Describe(ranges), "1 3 2-3");
    ranges[0] = Span(kA, kB);
    EXPECT_EQ(Describe(ranges), "3 1-2 2-3") << "a range in place of an instant joins the ranges";
    ranges[2] = kB;
    EXPECT_EQ(Describe(ranges), "3 2 1-2") << "an instant in place of a range joins the instants";
    ranges[2] = ranges[0];
    EXPECT_EQ(Describe(ranges), "3 2 3") << "another element's instant stays an instant";
    ranges += Span(kA, kC);
    ranges[0] = ranges[3];
    EXPECT_EQ(Describe(ranges), "2 3 1-3 1-3");
    const uint32_t count = ranges.GetCount();
    EXPECT_EQ(Thrown([&] { ranges[count]; }), LNERR_INVALID_PARAMETER);
}

} // namespace
