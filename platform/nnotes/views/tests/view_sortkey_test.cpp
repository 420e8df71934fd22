// Sort keys and item tables: byte order is view order, and damaged bytes are told apart.
#include "testing/process_fixture.h"
#include "views/view_itemtable.h"
#include "views/view_sortkey.h"

#include <algorithm>
#include <cstring>

namespace nnotes::views {
namespace {

class SortKeyTest : public StartedProcess {
protected:
    static std::string Key(const SortValue& v, bool descending = false) {
        std::string key;
        EXPECT_EQ(AppendSortSegment(v, descending, key), NOERROR);
        return key;
    }
    static SortValue Num(double n) {
        SortValue v;
        v.kind = SortValue::Number;
        v.number = n;
        return v;
    }
    static SortValue Txt(std::string t) {
        SortValue v;
        v.kind = SortValue::Text;
        v.text = std::move(t);
        return v;
    }
    static SortValue At(uint32_t day, uint32_t hundredths) {
        SortValue v;
        v.kind = SortValue::Time;
        v.time = Instant{{hundredths, day}};
        return v;
    }
};

TEST_F(SortKeyTest, ByteOrderIsValueOrder) {
    const std::vector<SortValue> ordered = {
        SortValue(), Num(-1e300),  Num(-2.5),      Num(0),         Num(1),
        Num(1e10),   At(0, 0),     At(2440588, 5), At(2440589, 0), At(0xFFFFFF, 0xFFFFFFFF),
        Txt("1"),    Txt("apple"), Txt("Banana"),  Txt("banana2"), Txt("cherry")};
    for (size_t i = 1; i < ordered.size(); ++i) {
        EXPECT_LT(Key(ordered[i - 1]), Key(ordered[i])) << i;
        EXPECT_GT(Key(ordered[i - 1], true), Key(ordered[i], true)) << i;
    }
    EXPECT_EQ(Key(Num(-0.0)), Key(Num(0)));
    EXPECT_EQ(Key(Txt("ABC")), Key(Txt("abc")));
    EXPECT_NE(Key(Txt("resume")), Key(Txt("résumé")));
    // A shorter text before a longer one that starts like it, whichever the direction.
    EXPECT_LT(Key(Txt("ab")) + Key(Txt("z")), Key(Txt("abc")) + Key(Txt("a")));
    EXPECT_GT(Key(Txt("ab"), true) + Key(Txt("a")), Key(Txt("abc"), true) + Key(Txt("z")));
}

TEST_F(SortKeyTest, SegmentsAreFoundAndTruncatedOnesRefused) {
    for (bool descending : {false, true}) {
        const std::string first = Key(Num(1), descending), second = Key(Txt("x"), descending);
        const std::string key = first + second;
        EXPECT_EQ(SegmentEnd(key, 0, descending), first.size());
        EXPECT_EQ(SegmentEnd(key, first.size(), descending), key.size());
        EXPECT_EQ(SegmentEnd(key.substr(0, key.size() - 1), first.size(), descending),
                  std::string_view::npos);
        EXPECT_EQ(SegmentEnd(key, key.size(), descending), std::string_view::npos);
    }
}

TEST_F(SortKeyTest, ValuesReadTheirFirstEntry) {
    std::string list("\x01\x05\x02\x00\x01\x00\x01\x00"
                     "ba",
                     10);
    const SortValue first = FirstValueOf(list);
    EXPECT_EQ(first.kind, SortValue::Text);
    EXPECT_EQ(first.text, "b");
    EXPECT_EQ(EachValueOf(list).size(), 2u);
    EXPECT_EQ(FirstValueOf(std::string("\x01\x05\x09\x00", 4)).kind, SortValue::Empty); // damaged list
    EXPECT_EQ(FirstValueOf("").kind, SortValue::Empty);
    EXPECT_EQ(EachValueOf("").size(), 1u);
}

TEST(ItemTableTest, BuildsParsesAndRefusesDamagedTables) {
    const std::string table = BuildItemTable({{"A", "xy"}, {"Bee", ""}});
    std::vector<TableItem> items;
    size_t size = 0;
    ASSERT_TRUE(ParseItemTable(table.data(), table.size(), items, &size));
    EXPECT_EQ(size, 4u + 8u + 1u + 2u + 3u);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].name, "A");
    EXPECT_EQ(items[0].value, "xy");
    EXPECT_EQ(items[1].name, "Bee");
    EXPECT_TRUE(items[1].value.empty());
    EXPECT_FALSE(ParseItemTable(table.data(), table.size() - 1, items));
    std::string damaged = table;
    damaged[6] = '\x7F'; // a name longer than the table
    EXPECT_FALSE(ParseItemTable(damaged.data(), damaged.size(), items));
    damaged = table;
    damaged[2] = '\x40'; // more items than the header leaves room for
    EXPECT_FALSE(ParseItemTable(damaged.data(), damaged.size(), items));
    EXPECT_FALSE(ParseItemTable(nullptr, 10, items));

    // Values that do not fit are left empty, the last first.
    const std::string big(100, 'v');
    const std::string capped = BuildItemTable({{"A", big}, {"B", big}}, 150);
    ASSERT_TRUE(ParseItemTable(capped.data(), capped.size(), items));
    EXPECT_EQ(items[0].value.size(), 100u);
    EXPECT_TRUE(items[1].value.empty());
}

} // namespace
} // namespace nnotes::views
