#include "ln/lnerrors.h"
#include "ln/lnstringcompare.h"
#include "lnstringfixture.h"
#include "testobjects.h"

namespace {

using CompareTest = TextTest;

TEST_F(CompareTest, TextsFollowTheCollationAndTheFlags) {
    EXPECT_LT(LNStringCompare("apple", "Banana", 0), 0) << "collation, not byte order";
    EXPECT_NE(LNStringCompare("Straße", "strasse", 1), 0);
    EXPECT_EQ(LNStringCompare("ÉTÉ", "été", 1), 0);
    EXPECT_NE(LNStringCompare("été", "ete", 1), 0);
    EXPECT_EQ(LNStringCompare("été", "ete", 2), 0);
    EXPECT_NE(LNStringCompare("Été", "ete", 2), 0);
    EXPECT_EQ(LNStringCompare("ÉTÉ", "ete", 3), 0);
    EXPECT_EQ(LNStringCompare(nullptr, "", 0), 0);
    EXPECT_EQ(LNStringCompare(LNString("Zürich"), LNString("zurich"), 3), 0);
    EXPECT_GT(LNStringCompare(LNString("b"), LNString("A"), 0), 0);
}

TEST_F(CompareTest, CharactersCompareByTheirNotesForm) {
    EXPECT_EQ(LNStringCompare('a', 'A', 1), 0);
    EXPECT_NE(LNStringCompare('a', 'A', 0), 0);
    const LNString s("Éé");
    EXPECT_EQ(LNStringCompare(s[0], s[1], 1), 0);
    EXPECT_NE(LNStringCompare(s[0], s[1], 2), 0);
    EXPECT_EQ(LNStringCompare(s[1], 'e', 2), 0);
    EXPECT_EQ(LNStringCompare(s[0], 'e', 3), 0);
}

TEST_F(CompareTest, UnknownFlagsAreAlwaysThrown) {
    ASSERT_FALSE(LNGetThrowAllErrors());
    EXPECT_EQ(Thrown([] { LNStringCompare("a", "a", 4); }), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(Thrown([] { LNStringCompare('a', 'a', 4); }), LNERR_INVALID_PARAMETER);
}

TEST(CompareWithoutApiTest, NeedsTheApiStarted) {
    EXPECT_EQ(Thrown([] { LNStringCompare("a", "a", 0); }), LNERR_SESSION_NOT_INITIALIZED);
}

} // namespace
