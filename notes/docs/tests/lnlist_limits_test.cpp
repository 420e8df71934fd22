// Number, date and range lists at the limits of their 16-bit counts: lists that grow by themselves, the
// largest list stored in a note and read back byte for byte, and edits beyond the limit refused whole.
#include "docsfixture.h"
#include "ln/lndatetimeranges.h"
#include "ln/lndatetimes.h"
#include "ln/lndocument.h"
#include "ln/lnnumbers.h"
#include "ln/lntext.h"
#include "util/coding.h"

namespace {

constexpr uint32_t kMaxEntries = 65535;

// A list of count numbers 0, 1, 2 ...: doubled by appending itself, then topped up from a copy.
LNNumbers Numbers(uint32_t count) {
    LNNumbers list;
    EXPECT_EQ(list.Append(0.0), 0u);
    while (list.GetCount() * 2 <= count)
        EXPECT_EQ(list.Append(list), 0u) << list.GetCount();
    while (list.GetCount() < count) {
        LNNumbers part;
        EXPECT_EQ(part.SetValue(list), 0u);
        const uint32_t wanted = count - list.GetCount();
        if (part.GetCount() > wanted) {
            EXPECT_EQ(part.Delete(wanted, part.GetCount() - wanted), 0u);
        }
        EXPECT_EQ(list.Append(part), 0u);
    }
    for (uint32_t i = 0; i < count; i += 997)
        list[i] = static_cast<double>(i);
    return list;
}

} // namespace

class ListLimitsTest : public DocsTest {};

TEST_F(ListLimitsTest, ListsAppendedToThemselvesDouble) {
    LNNumbers numbers;
    ASSERT_EQ(numbers.Append(1.5), 0u);
    ASSERT_EQ(numbers.Append(2.5), 0u);
    ASSERT_EQ(numbers.Append(numbers), 0u);
    ASSERT_EQ(numbers.GetCount(), 4u);
    EXPECT_EQ(numbers[2].GetValue(), 1.5);
    EXPECT_EQ(numbers[3].GetValue(), 2.5);
    ASSERT_EQ(numbers.Insert(1, numbers), 0u);
    ASSERT_EQ(numbers.GetCount(), 8u);
    const double expected[] = {1.5, 1.5, 2.5, 1.5, 2.5, 2.5, 1.5, 2.5};
    for (uint32_t i = 0; i < 8; ++i)
        EXPECT_EQ(numbers[i].GetValue(), expected[i]) << i;

    LNDatetimes dates;
    ASSERT_EQ(dates.Append(LNDatetime(nnotes::Instant{{100, 2460000}})), 0u);
    ASSERT_EQ(dates.Append(dates), 0u);
    EXPECT_EQ(dates.GetCount(), 2u);

    LNDatetimeRanges ranges;
    ASSERT_EQ(ranges.Append(LNDatetime(nnotes::Instant{{100, 2460000}})), 0u);
    ASSERT_EQ(ranges.Append(LNDatetimeRange(nnotes::TimeRange{{{300, 2460000}}, {{500, 2460001}}})), 0u);
    ASSERT_EQ(ranges.Append(ranges), 0u);
    EXPECT_EQ(ranges.GetDatetimeCount(), 2u);
    EXPECT_EQ(ranges.GetRangeCount(), 2u);
}

// A list counts at most 65535 entries; an entry of a full list still takes a new value. A note holds a value
// of at most 64 KB: the largest list it takes is stored and read back byte for byte, a larger one is refused
// with a status, and a list in the note that would outgrow it stays as it was.
TEST_F(ListLimitsTest, NumberListsAtTheirLargest) {
    LNNumbers full = Numbers(kMaxEntries);
    ASSERT_EQ(full.GetCount(), kMaxEntries);
    EXPECT_EQ(full.Append(1.0), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(full.Insert(0, full), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(full.GetCount(), kMaxEntries);
    EXPECT_EQ(Thrown([&] { full[5] = 42.0; }), 0u);
    EXPECT_EQ(full[5].GetValue(), 42.0);
    EXPECT_EQ(full[kMaxEntries - 1].GetValue(), 0.0);
    EXPECT_EQ(full.GetCount(), kMaxEntries);

    const nnotes::NOTEID id = SaveNote({{"Subject", "numbers"}});
    LNDocument doc(db_.GetDatabaseBody(), id);
    ASSERT_EQ(doc.Open(0), 0u);
    EXPECT_EQ(doc.CreateItem("Many", full), nnotes::ERR_ITEM_TOO_BIG);
    EXPECT_FALSE(doc.HasItem("Many"));
    // The store keeps a value of its type word and up to 65529 bytes more (a 64 KB block less its header).
    constexpr uint32_t kLargestStored = (0xFFFF - 4 - 6) / 8;
    EXPECT_EQ(doc.CreateItem("Many", Numbers(kLargestStored + 1)), nnotes::ERR_ITEM_TOO_BIG);
    ASSERT_EQ(doc.CreateItem("Many", Numbers(kLargestStored)), 0u);
    ASSERT_EQ(doc.Save(0), 0u);
    doc.Close();
    const std::string stored = StoredValue(id, "Many");
    ASSERT_EQ(stored.size(), 6u + 8u * kLargestStored);
    EXPECT_EQ(util::DecodeFixed16(stored.data()), nnotes::TYPE_NUMBER_RANGE);
    EXPECT_EQ(util::DecodeFixed16(stored.data() + 2), kLargestStored);
    EXPECT_EQ(util::DecodeFixed16(stored.data() + 4), 0u);
    for (uint32_t i = 0; i < kLargestStored; i += 997) {
        double value = 0;
        const uint64_t bits = util::DecodeFixed64(stored.data() + 6 + 8 * i);
        std::memcpy(&value, &bits, sizeof value);
        EXPECT_EQ(value, static_cast<double>(i)) << i;
    }

    ASSERT_EQ(doc.Open(0), 0u);
    LNNumbers many;
    ASSERT_EQ(doc.GetItem("Many", &many), 0u);
    ASSERT_EQ(many.GetCount(), kLargestStored);
    EXPECT_NE(many.Append(1.0), 0u);
    EXPECT_NE(many.Insert(0, many), 0u);
    EXPECT_EQ(many.GetCount(), kLargestStored);
    EXPECT_EQ(Thrown([&] { many[5] = 42.0; }), 0u) << "an entry of the largest list a note holds";
    EXPECT_EQ(many[5].GetValue(), 42.0);
    ASSERT_EQ(doc.Save(0), 0u);
    doc.Close();
    const std::string after = StoredValue(id, "Many");
    ASSERT_EQ(after.size(), stored.size());
    EXPECT_EQ(after.substr(0, 6 + 8 * 5), stored.substr(0, 6 + 8 * 5));
    EXPECT_EQ(after.substr(6 + 8 * 6), stored.substr(6 + 8 * 6));
    double value = 0;
    const uint64_t bits = util::DecodeFixed64(after.data() + 6 + 8 * 5);
    std::memcpy(&value, &bits, sizeof value);
    EXPECT_EQ(value, 42.0);
}

// An entry of a text list that fills most of what an item holds takes a new text of about its own size; one
// that would make the list outgrow its item is refused and the list stays as it was.
TEST_F(ListLimitsTest, AnEntryOfANearlyFullTextListTakesANewText) {
    const nnotes::NOTEID id = SaveNote({{"Subject", "texts"}});
    LNDocument doc(db_.GetDatabaseBody(), id);
    ASSERT_EQ(doc.Open(0), 0u);
    LNText list;
    list << LNString(std::string(30000, 'a').c_str()) << LNString(std::string(30000, 'b').c_str())
         << LNString(std::string(5000, 'c').c_str());
    ASSERT_EQ(doc.CreateItem("Big", list), 0u);
    LNText big;
    ASSERT_EQ(doc.GetItem("Big", &big), 0u);
    EXPECT_EQ(Thrown([&] { big[0] = LNString(std::string(30500, 'x').c_str()); }), 0u);
    EXPECT_EQ(Thrown([&] { big[2] = LNString("short"); }), 0u);
    EXPECT_NE(Thrown([&] { big[1] = LNString(std::string(65000, 'z').c_str()); }), 0u);
    ASSERT_EQ(big.GetCount(), 3u);
    // Compared whole, without printing tens of thousands of letters on a failure.
    EXPECT_TRUE(Text(big[0].GetText()) == std::string(30500, 'x'));
    EXPECT_TRUE(Text(big[1].GetText()) == std::string(30000, 'b'));
    EXPECT_EQ(Text(big[2].GetText()), "short");
    ASSERT_EQ(doc.Save(0), 0u);
    doc.Close();
    const std::string stored = StoredValue(id, "Big");
    ASSERT_GE(stored.size(), 8u);
    EXPECT_EQ(util::DecodeFixed16(stored.data()), nnotes::TYPE_TEXT_LIST);
    EXPECT_EQ(util::DecodeFixed16(stored.data() + 2), 3u);
    EXPECT_EQ(stored.size(), 2u + 2u + 6u + 30500u + 30000u + 5u);
    EXPECT_TRUE(stored.substr(2 + 2 + 6) == std::string(30500, 'x') + std::string(30000, 'b') + "short");
}
