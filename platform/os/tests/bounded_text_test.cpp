// Bounded copy and compare against a model of their own over seeded random inputs, with the edges that
// callers meet: sizes 0 and 1, exact fits, a copy onto itself, NULs and bytes above 127, other locales.
#include "child_run.h"
#include "profile_files.h"

#include <clocale>
#include <random>

namespace ostest {
namespace {

// A text of random bytes over an alphabet that folds, does not fold, and ends texts.
std::string RandomText(std::mt19937& random, size_t longest) {
    static const std::string alphabet = std::string("aAiIzZ@[`{") + '\0' + "\x80\xc0\xe0\xdd\xfd\xff";
    std::string text(std::uniform_int_distribution<size_t>(0, longest)(random), ' ');
    for (auto& c : text)
        c = alphabet[std::uniform_int_distribution<size_t>(0, alphabet.size() - 1)(random)];
    return text;
}

int Sign(int v) {
    return (v > 0) - (v < 0);
}

// strncmp over bytes as unsigned, ASCII letters folded or not.
int ModelCompare(const char* a, const char* b, size_t n, bool fold) {
    const auto byte = [fold](char c) {
        const auto u = static_cast<unsigned char>(c);
        return fold && u >= 'A' && u <= 'Z' ? u + 32 : static_cast<int>(u);
    };
    for (size_t i = 0; i < n; ++i) {
        if (byte(a[i]) != byte(b[i])) return Sign(byte(a[i]) - byte(b[i]));
        if (a[i] == '\0') return 0;
    }
    return 0;
}

TEST(BoundedText, CopiesMatchTheModelAndTouchNothingPastTheirSize) {
    constexpr unsigned kSeed = 20261210;
    std::mt19937 random(kSeed);
    for (int step = 0; step < 20000; ++step) {
        const std::string src = RandomText(random, 12);
        const size_t size = std::uniform_int_distribution<size_t>(0, 14)(random);
        const std::string where = "seed " + std::to_string(kSeed) + " step " + std::to_string(step);
        // As a C text the source ends at its first NUL; as a string it is copied whole, NULs and all.
        for (const bool whole : {false, true}) {
            std::string buffer(size + 4, '#');
            const size_t copied = whole ? os::CopyBounded(buffer.data(), size, src)
                                        : os::CopyBounded(buffer.data(), size, src.c_str());
            const std::string given = whole ? src : std::string(src.c_str());
            const size_t expected = size == 0 ? 0 : std::min(given.size(), size - 1);
            ASSERT_EQ(copied, expected) << where;
            std::string model(size + 4, '#');
            if (size > 0) model.replace(0, expected + 1, given.substr(0, expected) + '\0');
            ASSERT_EQ(buffer, model) << where << (whole ? " (string)" : " (C text)");
        }
    }
}

// A caller may copy the tail of a buffer to its front or the front further in: the bytes come out as they
// were before the copy.
TEST(BoundedText, ACopyOntoItselfGivesTheTextAsItWas) {
    for (size_t shift = 1; shift < 6; ++shift) {
        char buffer[32] = "0123456789abcdefghij";
        EXPECT_EQ(os::CopyBounded(buffer, sizeof buffer, buffer + shift), 20 - shift);
        EXPECT_EQ(std::string(buffer), std::string("0123456789abcdefghij").substr(shift));

        char again[32] = "0123456789abcdefghij";
        EXPECT_EQ(os::CopyBounded(again + shift, sizeof again - shift, again), 20u);
        EXPECT_EQ(std::string(again + shift), "0123456789abcdefghij");
    }
    char same[8] = "abc";
    EXPECT_EQ(os::CopyBounded(same, sizeof same, same), 3u);
    EXPECT_STREQ(same, "abc");
}

TEST(BoundedText, ComparesMatchTheModel) {
    constexpr unsigned kSeed = 1210;
    std::mt19937 random(kSeed);
    for (int step = 0; step < 20000; ++step) {
        std::string a = RandomText(random, 8), b = RandomText(random, 8);
        if (step % 3 == 0) b = a.substr(0, b.size() % (a.size() + 1)) + b; // a shared front
        const size_t n = std::uniform_int_distribution<size_t>(0, 10)(random);
        a.resize(std::max(a.size(), n) + 1, '\0'); // readable for n bytes, and terminated
        b.resize(std::max(b.size(), n) + 1, '\0');
        const std::string where = "seed " + std::to_string(kSeed) + " step " + std::to_string(step);
        ASSERT_EQ(Sign(os::CompareBounded(a.c_str(), b.c_str(), n)),
                  ModelCompare(a.c_str(), b.c_str(), n, false))
            << where;
        ASSERT_EQ(Sign(os::CompareBoundedNoCase(a.c_str(), b.c_str(), n)),
                  ModelCompare(a.c_str(), b.c_str(), n, true))
            << where;
    }
}

// The program may run in the user's locale (the desktop's toolkit sets it): in a one-byte Turkish code page
// the C library folds I to a dotless i and folds accented capitals, and ASCII folding must not follow it.
// (The address sanitizer puts a strncasecmp of its own that folds ASCII alone in the C library's place, so
// only builds without it could show the C library's folding here.)
using Locales = ProfileFiles;

TEST_F(Locales, CaseIsFoldedForAsciiLettersAloneInEveryLocale) {
    const std::string locale = "tr_TR.ISO-8859-9";
    const ChildEnd made =
        RunChild("/usr/bin/localedef", {"localedef", "-i", "tr_TR", "-f", "ISO-8859-9", Path(locale)});
    if (!made.ExitedWith(0)) GTEST_SKIP() << "no localedef to make " << locale << " with";
    const std::string previousPath = std::getenv("LOCPATH") ? std::getenv("LOCPATH") : "";
    const std::string previous = std::setlocale(LC_CTYPE, nullptr);
    setenv("LOCPATH", dir_.c_str(), 1);
    ASSERT_NE(std::setlocale(LC_CTYPE, locale.c_str()), nullptr);
    const int iWithI = os::CompareBoundedNoCase("LIST", "list", 4);
    const int accented = os::CompareBoundedNoCase("\xc0", "\xe0", 1);
    const int dotless = os::CompareBoundedNoCase("I", "\xfd", 1);
    std::setlocale(LC_CTYPE, previous.c_str());
    if (previousPath.empty())
        unsetenv("LOCPATH");
    else
        setenv("LOCPATH", previousPath.c_str(), 1);
    EXPECT_EQ(iWithI, 0);
    EXPECT_NE(accented, 0);
    EXPECT_NE(dotless, 0);
}

} // namespace
} // namespace ostest
