#include "nnotes/nnotes.h"
#include "text/tests/text_fixture.h"

#include <gtest/gtest.h>
#include <string>

namespace nnotes {
namespace {

int Compare(const std::string& a, const std::string& b, uint16_t flags) {
    int result = 99;
    EXPECT_EQ(CompareText(a.data(), static_cast<uint16_t>(a.size()), b.data(),
                          static_cast<uint16_t>(b.size()), flags, &result),
              NOERROR);
    return result;
}

using TextCollation = testing::TextTest;

constexpr uint16_t kCase = COMPARE_IGNORE_CASE;
constexpr uint16_t kAccents = COMPARE_IGNORE_ACCENTS;

TEST_F(TextCollation, OrdersByCollationNotByBytes) {
    EXPECT_LT(Compare("apple", "Banana", 0), 0);
    EXPECT_GT(Compare("zebra", "Äpfel", 0), 0);
    EXPECT_EQ(Compare("abc", "abc", 0), 0);
    EXPECT_EQ(Compare("", "", 0), 0);
    EXPECT_LT(Compare("", "a", 0), 0);
}

TEST_F(TextCollation, WithoutFlagsCaseAndAccentsCount) {
    EXPECT_NE(Compare("a", "A", 0), 0);
    EXPECT_NE(Compare("resume", "résumé", 0), 0);
    // Canonically equivalent spellings are equal.
    EXPECT_EQ(Compare("é", "e\xCC\x81", 0), 0);
}

TEST_F(TextCollation, FlagsIgnoreCaseAccentsOrBoth) {
    EXPECT_EQ(Compare("ABC", "abc", kCase), 0);
    EXPECT_EQ(Compare("É", "é", kCase), 0);
    EXPECT_NE(Compare("é", "e", kCase), 0);
    EXPECT_EQ(Compare("résumé", "resume", kAccents), 0);
    EXPECT_NE(Compare("Resume", "resume", kAccents), 0);
    EXPECT_EQ(Compare("RÉSUMÉ", "resume", kCase | kAccents), 0);
    EXPECT_LT(Compare("Äpfel", "birne", kCase | kAccents), 0);
}

TEST_F(TextCollation, ComparesGivenLengthsOnly) {
    int result = 99;
    ASSERT_EQ(CompareText("Re: lunch", 4, "RE: ", 4, kCase, &result), NOERROR);
    EXPECT_EQ(result, 0);
}

TEST_F(TextCollation, IllFormedBytesCompareAsReplacementCharacters) {
    EXPECT_EQ(Compare("a\xFF", "a\xEF\xBF\xBD", 0), 0);
}

TEST_F(TextCollation, RefusesUnknownFlagsAndNullPointers) {
    int result = 0;
    EXPECT_EQ(CompareText("a", 1, "b", 1, 4, &result), ERR_NLS_BAD_ARGUMENT);
    EXPECT_EQ(CompareText(nullptr, 1, "b", 1, 0, &result), ERR_NLS_BAD_ARGUMENT);
    EXPECT_EQ(CompareText("a", 1, "b", 1, 0, nullptr), ERR_NLS_BAD_ARGUMENT);
}

} // namespace
} // namespace nnotes
