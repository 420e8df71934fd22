// Find keys, their packed table and the find options word.
#include "apifixture.h"
#include "ln/lnvffindkey.h"
#include "nnotes/note.h"
#include "util/coding.h"

#include <cstring>

namespace {

using FindKeyTest = ApiTest;

TEST_F(FindKeyTest, KeysKeepTheirValueInTheirOwnForm) {
    LNSTATUS status = 1;
    const LNVFFindKey text(LNString("Ann"), &status);
    EXPECT_EQ(status, 0u);
    EXPECT_EQ(Text(text.GetText()), "Ann");
    EXPECT_EQ(text.GetKeySize(), 5);
    const LNVFFindKey number(42.5, &status);
    EXPECT_EQ(number.GetNumber(), 42.5);
    EXPECT_EQ(number.GetKeySize(), 10);
    const LNVFFindKey copy(number);
    EXPECT_EQ(copy.GetNumber(), 42.5);
    EXPECT_EQ(Thrown([&] { text.GetNumber(); }), LNERR_CONVERSION);
    EXPECT_EQ(Thrown([&] { number.GetText(); }), LNERR_CONVERSION);
    EXPECT_EQ(Thrown([&] { number.GetDatetime(); }), LNERR_CONVERSION);
}

TEST_F(FindKeyTest, EmptyTextKeyIsRefused) {
    LNSTATUS status = 0;
    const LNVFFindKey empty(LNString(), &status);
    EXPECT_EQ(status, LNERR_OUT_OF_RANGE);
    EXPECT_EQ(empty.GetKeySize(), 0);
    EXPECT_EQ(Thrown([&] { empty.GetText(); }), LNERR_NOT_INITIALIZED);

    LNVFFindKeys keys;
    EXPECT_EQ(keys.AppendTextKey("a"), 0u);
    EXPECT_EQ(keys.AppendTextKey(LNString()), LNERR_OUT_OF_RANGE);
    EXPECT_EQ(keys.GetCount(), 1u);
}

TEST_F(FindKeyTest, TwoTextKeysPackIntoOneTable) {
    LNVFFindKeys keys;
    ASSERT_EQ(keys.AppendTextKey("a"), 0u);
    ASSERT_EQ(keys.AppendTextKey("bc"), 0u);
    const auto* table = static_cast<const uint8_t*>(keys.GetKeyTable());
    EXPECT_EQ(util::DecodeFixed16(table), 19);
    EXPECT_EQ(util::DecodeFixed16(table + 2), 2);
    EXPECT_EQ(util::DecodeFixed16(table + 4), 0);
    EXPECT_EQ(util::DecodeFixed16(table + 6), 3);
    EXPECT_EQ(util::DecodeFixed16(table + 8), 0);
    EXPECT_EQ(util::DecodeFixed16(table + 10), 4);
    EXPECT_EQ(util::DecodeFixed16(table + 12), nnotes::TYPE_TEXT);
    EXPECT_EQ(table[14], 'a');
    EXPECT_EQ(util::DecodeFixed16(table + 15), nnotes::TYPE_TEXT);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(table + 17), 2), "bc");
}

TEST_F(FindKeyTest, AppendingAfterPackingRebuildsTheTable) {
    LNVFFindKeys keys;
    ASSERT_EQ(keys.AppendNumberKey(1), 0u);
    EXPECT_EQ(util::DecodeFixed16(static_cast<const uint8_t*>(keys.GetKeyTable())), 4 + 4 + 10);
    ASSERT_EQ(keys.AppendTextKey("x"), 0u);
    const auto* table = static_cast<const uint8_t*>(keys.GetKeyTable());
    EXPECT_EQ(util::DecodeFixed16(table), 4 + 14 + 7);
    EXPECT_EQ(util::DecodeFixed16(table + 2), 2);
    EXPECT_EQ(Text(keys[1].GetText()), "x");
    EXPECT_EQ(Thrown([&] { keys[2]; }), LNERR_SUBSCRIPT_OUT_OF_RANGE);
}

TEST_F(FindKeyTest, CopiesOwnTheirKeys) {
    LNVFFindKeys keys;
    ASSERT_EQ(keys.AppendTextKey("one"), 0u);
    keys.GetKeyTable();
    LNVFFindKeys copy;
    copy = keys;
    keys.Clear();
    EXPECT_EQ(keys.GetCount(), 0u);
    ASSERT_EQ(copy.GetCount(), 1u);
    EXPECT_EQ(Text(copy[0].GetText()), "one");
    EXPECT_EQ(util::DecodeFixed16(static_cast<const uint8_t*>(copy.GetKeyTable())), 4 + 4 + 5);
}

TEST_F(FindKeyTest, TableOver65535BytesIsRefused) {
    LNVFFindKeys keys;
    const std::string big(30000, 'k');
    ASSERT_EQ(keys.AppendTextKey(big.c_str()), 0u);
    ASSERT_EQ(keys.AppendTextKey(big.c_str()), 0u);
    ASSERT_EQ(keys.AppendTextKey(std::string(6000, 'k').c_str()), 0u);
    EXPECT_EQ(Thrown([&] { keys.GetKeyTable(); }), LNERR_KEY_TABLE_TOO_BIG);
    const std::string tooLong(0xFFFE, 'k');
    EXPECT_EQ(keys.AppendTextKey(LNString(reinterpret_cast<const LNUCHAR*>(tooLong.data()), 0xFFFE)),
              LNERR_STRING_TOO_LONG);
}

TEST_F(FindKeyTest, OptionsWordFollowsItsSetters) {
    LNVFFindOptions options;
    EXPECT_EQ(options.GetFlags(), 0x000B);
    options.SetExactMatch(true);
    EXPECT_EQ(options.GetFlags(), 0x000A);
    options.SetCaseSensitive(true);
    options.SetAccentSensitive(true);
    EXPECT_EQ(options.GetFlags(), 0x0000);
    options.SetUpdateIfNotFound(true);
    EXPECT_EQ(options.GetFlags(), 0x0020);
    EXPECT_EQ(options.SetComparison(0x0100), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(options.SetComparison(0x0040), 0u);
    EXPECT_EQ(options.GetFlags(), 0x0060);
    options.SetExactMatch(false);
    EXPECT_EQ(options.GetFlags(), 0x0061);
}

} // namespace
