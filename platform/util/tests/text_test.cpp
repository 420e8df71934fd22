// Names compared without regard to case: ASCII letters fold, every other byte (those of UTF-8 characters
// included) stands for itself, and the order is that of the folded bytes, shorter first on a shared front.
#include "util/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

namespace util {
namespace {

TEST(TextTest, NamesCompareWithAsciiLettersFoldedAlone) {
    EXPECT_TRUE(EqualsNoCase("LIST", "list"));
    EXPECT_TRUE(EqualsNoCase("$Ref", "$REF"));
    EXPECT_FALSE(EqualsNoCase("\xc3\x80", "\xc3\xa0")) << "an accented capital is no ASCII letter";
    EXPECT_FALSE(EqualsNoCase("I", "\xc4\xb1")) << "nor is a dotless i";
    EXPECT_FALSE(EqualsNoCase("Item", "Items"));
    EXPECT_FALSE(EqualsNoCase(std::string("a\0b", 3), "a"));
    EXPECT_LT(CompareNoCase("apple", "BANANA"), 0);
    EXPECT_LT(CompareNoCase("Item", "ITEMS"), 0);
    EXPECT_LT(CompareNoCase("_", "Z"), 0) << "Z folds to z, which sorts after _";

    std::mt19937 random(20261210);
    const std::string alphabet = std::string("aAzZiI_[`{\x7f\x80\xc3\xff") + '\0';
    const auto text = [&] {
        std::string t(random() % 5, ' ');
        for (char& c : t)
            c = alphabet[random() % alphabet.size()];
        return t;
    };
    const auto folded = [](std::string t) {
        for (char& c : t)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        return t;
    };
    for (int step = 0; step < 20000; ++step) {
        const std::string a = text(), b = text();
        const std::string fa = folded(a), fb = folded(b);
        const int model =
            std::lexicographical_compare(
                fa.begin(), fa.end(), fb.begin(), fb.end(),
                [](char x, char y) { return static_cast<unsigned char>(x) < static_cast<unsigned char>(y); })
                ? -1
            : fa == fb ? 0
                       : 1;
        const int got = CompareNoCase(a, b);
        ASSERT_EQ((got > 0) - (got < 0), model) << "step " << step;
        ASSERT_EQ(EqualsNoCase(a, b), model == 0) << "step " << step;
    }
}

} // namespace
} // namespace util
