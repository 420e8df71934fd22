#include "nnotes/nnotes.h"
#include "text/tests/text_fixture.h"

#include <gtest/gtest.h>
#include <string>

namespace nnotes {
namespace {

struct Translated {
    STATUS status;
    std::string text;
};

Translated Translate(uint16_t mode, const std::string& in, size_t outSize = 0) {
    std::string out(outSize ? outSize : 3 * in.size(), '\0');
    uint16_t length = 0xFFFF;
    const STATUS status = TranslateText(mode, in.data(), static_cast<uint16_t>(in.size()), out.data(),
                                        static_cast<uint16_t>(out.size()), &length);
    out.resize(length);
    return {status, out};
}

uint16_t Chars(const std::string& text) {
    const NLSInfo* info = nullptr;
    EXPECT_EQ(GetNLSInfo(&info), NOERROR);
    uint16_t chars = 0;
    EXPECT_EQ(NLSStringChars(text.data(), static_cast<uint16_t>(text.size()), &chars, info), NOERROR);
    return chars;
}

using TextTranslation = testing::TextTest;

const std::string kMixed = "Grüße, 日本 😀\n";

TEST_F(TextTranslation, WellFormedTextCrossesBothWaysUnchanged) {
    for (uint16_t mode : {TRANSLATE_PLATFORM_TO_NOTES, TRANSLATE_NOTES_TO_PLATFORM}) {
        const Translated t = Translate(mode, kMixed);
        EXPECT_EQ(t.status, NOERROR);
        EXPECT_EQ(t.text, kMixed);
    }
    EXPECT_EQ(Translate(TRANSLATE_PLATFORM_TO_NOTES, std::string("a\0b", 3)).text, std::string("a\0b", 3));
}

TEST_F(TextTranslation, IllFormedBytesAreRepairedOnTheWayInAndOut) {
    const std::string fffd = "\xEF\xBF\xBD";
    for (uint16_t mode : {TRANSLATE_PLATFORM_TO_NOTES, TRANSLATE_NOTES_TO_PLATFORM}) {
        EXPECT_EQ(Translate(mode, "a\xFF"
                                  "b")
                      .text,
                  "a" + fffd + "b");
        // A sequence cut short at the end is one character, replaced once.
        EXPECT_EQ(Translate(mode, "x\xE6\x97").text, "x" + fffd);
        // An encoded surrogate is no character: each of its bytes is replaced.
        EXPECT_EQ(Translate(mode, "\xED\xA0\x80").text, fffd + fffd + fffd);
    }
}

TEST_F(TextTranslation, ThreeTimesTheInputAlwaysSuffices) {
    const std::string worst(100, '\x80');
    const Translated t = Translate(TRANSLATE_PLATFORM_TO_NOTES, worst, 300);
    EXPECT_EQ(t.status, NOERROR);
    EXPECT_EQ(t.text.size(), 300u);
    EXPECT_EQ(Chars(t.text), 100);
}

TEST_F(TextTranslation, FullBufferKeepsWholeCharactersAndSaysSo) {
    const Translated t = Translate(TRANSLATE_PLATFORM_TO_NOTES, "aé", 2);
    EXPECT_EQ(t.status, ERR_NLS_BUFFER_TOO_SMALL);
    EXPECT_EQ(t.text, "a");
}

TEST_F(TextTranslation, RefusesUnknownModesAndNullPointers) {
    EXPECT_EQ(Translate(2, "abc").status, ERR_NLS_BAD_MODE);
    EXPECT_EQ(Translate(6, "abc").status, ERR_NLS_BAD_MODE);
    char out[4];
    uint16_t length = 0;
    EXPECT_EQ(TranslateText(0, nullptr, 3, out, 4, &length), ERR_NLS_BAD_ARGUMENT);
    EXPECT_EQ(TranslateText(0, "abc", 3, nullptr, 4, &length), ERR_NLS_BAD_ARGUMENT);
    EXPECT_EQ(TranslateText(0, "abc", 3, out, 4, nullptr), ERR_NLS_BAD_ARGUMENT);
    EXPECT_EQ(TranslateText(0, nullptr, 0, nullptr, 0, &length), NOERROR);
    EXPECT_EQ(length, 0);
}

// No output buffer at all (null, size 0) is a full one: every mode says so and writes nothing, ASCII
// included, which is copied in runs.
TEST_F(TextTranslation, NoOutputBufferAnswersBufferTooSmall) {
    for (uint16_t mode : {TRANSLATE_PLATFORM_TO_NOTES, TRANSLATE_NOTES_TO_PLATFORM, TRANSLATE_UPPER_CASE,
                          TRANSLATE_FOLD_CASE, TRANSLATE_STRIP_ACCENTS}) {
        for (const std::string& in : {std::string("abc"), std::string("\xC3\xA9"), std::string("\xFF")}) {
            uint16_t length = 0xFFFF;
            EXPECT_EQ(TranslateText(mode, in.data(), static_cast<uint16_t>(in.size()), nullptr, 0, &length),
                      ERR_NLS_BUFFER_TOO_SMALL)
                << mode;
            EXPECT_EQ(length, 0);
        }
    }
}

TEST_F(TextTranslation, FoldingsMapEachCharacter) {
    EXPECT_EQ(Translate(TRANSLATE_UPPER_CASE, "grüße ǆ").text, "GRÜßE Ǆ");
    EXPECT_EQ(Translate(TRANSLATE_FOLD_CASE, "GRÜSSE Ǆ \xE2\x84\xAA").text, "grüsse ǆ k"); // Kelvin sign
    EXPECT_EQ(Translate(TRANSLATE_STRIP_ACCENTS, "Crème Brûlée, Ångström").text, "Creme Brulee, Angstrom");
    // Letters without a decomposition into base and marks stay.
    EXPECT_EQ(Translate(TRANSLATE_STRIP_ACCENTS, "Øl 한").text, "Øl 한");
}

TEST_F(TextTranslation, FoldingsKeepTheCharacterCount) {
    // U+0250 grows from two bytes to three when upper-cased; the Kelvin sign shrinks from three to one.
    const std::string text = "ɐ \xE2\x84\xAA e\xCC\x81 ΣΑΣ ß 😀 ǅ \xFF";
    for (uint16_t mode : {TRANSLATE_UPPER_CASE, TRANSLATE_FOLD_CASE, TRANSLATE_STRIP_ACCENTS}) {
        const Translated t = Translate(mode, text);
        EXPECT_EQ(t.status, NOERROR) << mode;
        EXPECT_EQ(Chars(t.text), Chars(text)) << mode;
    }
    EXPECT_EQ(Translate(TRANSLATE_UPPER_CASE, "ɐ").text, "\xE2\xB1\xAF");
}

TEST_F(TextTranslation, FoldingsPassIllFormedBytesThrough) {
    EXPECT_EQ(Translate(TRANSLATE_FOLD_CASE, "A\xFF"
                                             "B")
                  .text,
              "a\xFF"
              "b");
}

} // namespace
} // namespace nnotes
