// Positions: the reset position, text forms, ordering and equality of entry paths.
#include "apifixture.h"
#include "ln/lnvfposition.h"
#include "nnotes/collection.h"

namespace {

using PositionTest = ApiTest;

LNVFPosition Path(std::initializer_list<uint32_t> indexes) {
    LNVFPosition position;
    nnotes::CollectionPosition* data = position.GetPositionData();
    data->Level = static_cast<uint16_t>(indexes.size() - 1);
    uint16_t level = 0;
    for (const uint32_t index : indexes)
        data->EntryIndex[level++] = index;
    return position;
}

TEST_F(PositionTest, ResetPositionIsTheFirstTopLevelEntry) {
    LNVFPosition position;
    const nnotes::CollectionPosition* data = position.GetPositionData();
    EXPECT_EQ(data->Level, 0);
    EXPECT_EQ(data->MinLevel, 0);
    EXPECT_EQ(data->MaxLevel, 31);
    EXPECT_EQ(data->EntryIndex[0], 1u);
    EXPECT_EQ(Text(position.GetText('.')), "1");
}

TEST_F(PositionTest, TextJoinsTheEntryNumbers) {
    EXPECT_EQ(Text(Path({3, 1, 4}).GetText('.')), "3.1.4");
    EXPECT_EQ(Text(Path({3, 1, 4}).GetText(LNString("::"))), "3::1::4");
    EXPECT_EQ(Text(Path({12}).GetText(LNString())), "12");
}

TEST_F(PositionTest, TextThatWouldReach512BytesIsEmpty) {
    LNVFPosition position;
    nnotes::CollectionPosition* data = position.GetPositionData();
    data->Level = 31;
    for (uint32_t& index : data->EntryIndex)
        index = 4000000000u;
    EXPECT_EQ(position.GetText('.').GetByteLength(), 32u * 10 + 31);
    EXPECT_EQ(Text(position.GetText(LNString("----------"))), "");
    data->Level = 20;
    EXPECT_EQ(position.GetText(LNString("----------")).GetByteLength(), 21u * 10 + 20 * 10);
}

TEST_F(PositionTest, AncestorsComeBeforeTheirDescendants) {
    EXPECT_TRUE(Path({2}) < Path({2, 1}));
    EXPECT_TRUE(Path({2, 1}) < Path({3}));
    EXPECT_TRUE(Path({3}) > Path({2, 5}));
    EXPECT_FALSE(Path({2}) < Path({2}));
    EXPECT_TRUE(Path({2, 1}) == Path({2, 1}));
    EXPECT_TRUE(Path({2, 1}) != Path({2}));
}

TEST_F(PositionTest, LevelLimitsDoNotCountForEquality) {
    LNVFPosition limited = Path({1, 2});
    limited.GetPositionData()->MinLevel = 1;
    limited.GetPositionData()->MaxLevel = 1;
    limited.GetPositionData()->EntryIndex[5] = 77;
    EXPECT_TRUE(limited == Path({1, 2}));
}

TEST_F(PositionTest, PositionWithoutDataRefusesWork) {
    LNVFPosition empty;
    empty = static_cast<const nnotes::CollectionPosition*>(nullptr);
    EXPECT_EQ(empty.GetPositionData(), nullptr);
    EXPECT_EQ(Thrown([&] { empty.Reset(); }), LNERR_NOT_INITIALIZED);
    EXPECT_EQ(Thrown([&] { empty.GetText('.'); }), LNERR_NOT_INITIALIZED);
    EXPECT_EQ(Thrown([&] { return empty == LNVFPosition(); }), LNERR_NOT_INITIALIZED);
    EXPECT_EQ(Thrown([&] { return LNVFPosition() < empty; }), LNERR_NOT_INITIALIZED);
    LNVFPosition copy(empty);
    EXPECT_EQ(copy.GetPositionData(), nullptr);
    copy = Path({4, 2});
    EXPECT_EQ(Text(copy.GetText('.')), "4.2");
    copy = empty;
    EXPECT_EQ(copy.GetPositionData(), nullptr);
}

TEST_F(PositionTest, DamagedLevelIsReadAsTheDeepestLevel) {
    LNVFPosition position = Path({1});
    position.GetPositionData()->Level = 900;
    EXPECT_EQ(Thrown([&] { position.GetText('.'); }), 0u);
    EXPECT_FALSE(position == Path({1}));
}

} // namespace
