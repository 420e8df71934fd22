#include "nnotes/nnotes.h"
#include "text/tests/text_fixture.h"

#include <gtest/gtest.h>
#include <string>

namespace nnotes {
namespace {

class NLS : public testing::TextTest {
protected:
    void SetUp() override {
        TextTest::SetUp();
        ASSERT_EQ(GetNLSInfo(&info), NOERROR);
    }

    static uint16_t Len(const std::string& s) { return static_cast<uint16_t>(s.size()); }

    // Byte offset of what a search found, -1 when it found nothing.
    long FindChar(const std::string& text, const std::string& set, STATUS expected = NOERROR) {
        const char* found = text.data();
        EXPECT_EQ(NLSFindCharacter(text.data(), Len(text), set.data(), Len(set), &found, info), expected);
        return found ? found - text.data() : -1;
    }
    long FindString(const std::string& text, const std::string& pattern, STATUS expected = NOERROR) {
        const char* found = text.data();
        EXPECT_EQ(NLSFindSubstring(text.data(), Len(text), pattern.data(), Len(pattern), &found, info),
                  expected);
        return found ? found - text.data() : -1;
    }

    using Forward = STATUS (*)(const char**, uint16_t, const NLSInfo*);
    using Backward = STATUS (*)(const char**, const char*, const NLSInfo*);
    long ScanForward(Forward scan, const std::string& text, size_t from, STATUS expected = NOERROR) {
        const char* p = text.data() + from;
        EXPECT_EQ(scan(&p, static_cast<uint16_t>(text.size() - from), info), expected);
        return p - text.data();
    }
    long ScanBackward(Backward scan, const std::string& text, size_t from, STATUS expected = NOERROR) {
        const char* p = text.data() + from;
        EXPECT_EQ(scan(&p, text.data(), info), expected);
        return p - text.data();
    }

    STATUS Class(const std::string& character, uint16_t charClass) {
        return NLSCharacterIsOfClass(character.data(), Len(character), charClass, info);
    }

    const NLSInfo* info = nullptr;
};

// One character of each UTF-8 size: 1 + 2 + 3 + 4 bytes.
const std::string kFour = "aé日😀";

TEST_F(NLS, InfoNamesTheCharacterSet) {
    EXPECT_STREQ(info->CharsetName, "UTF-8");
    EXPECT_EQ(info->MaxCharBytes, 4);
    EXPECT_EQ(GetNLSInfo(nullptr), ERR_NLS_BAD_ARGUMENT);
}

TEST_F(NLS, CountsCharactersAndTheirBytes) {
    uint16_t chars = 0;
    ASSERT_EQ(NLSStringChars(kFour.data(), Len(kFour), &chars, info), NOERROR);
    EXPECT_EQ(chars, 4);
    uint16_t bytes = 0;
    ASSERT_EQ(NLSStringBytes(kFour.data(), Len(kFour), 3, &bytes, info), NOERROR);
    EXPECT_EQ(bytes, 6);
    EXPECT_EQ(NLSStringBytes(kFour.data(), Len(kFour), 5, &bytes, info), ERR_NLS_TOO_FEW_CHARS);
    EXPECT_EQ(bytes, 10);
    // Each ill-formed stretch is one character; a NUL is a character too.
    const std::string broken("a\xFF\0\xE6\x97", 5);
    ASSERT_EQ(NLSStringChars(broken.data(), Len(broken), &chars, info), NOERROR);
    EXPECT_EQ(chars, 4);
    EXPECT_EQ(NLSStringChars(nullptr, 0, &chars, info), NOERROR);
    EXPECT_EQ(chars, 0);
    EXPECT_EQ(NLSStringChars(kFour.data(), Len(kFour), &chars, nullptr), ERR_NLS_BAD_ARGUMENT);
}

TEST_F(NLS, StepsOneCharacterAtATimeWithinTheLimit) {
    const char* p = kFour.data();
    uint16_t stepped = 0;
    for (uint16_t size : {1, 2, 3, 4}) {
        ASSERT_EQ(
            NLSStepCharacter(&p, static_cast<uint16_t>(kFour.data() + kFour.size() - p), &stepped, info),
            NOERROR);
        EXPECT_EQ(stepped, size);
    }
    EXPECT_EQ(NLSStepCharacter(&p, 0, &stepped, info), ERR_NLS_NOT_FOUND);
    EXPECT_EQ(stepped, 0);
    EXPECT_EQ(p, kFour.data() + kFour.size());
    // A limit that cuts a character short is never stepped over.
    p = kFour.data() + 3;
    ASSERT_EQ(NLSStepCharacter(&p, 2, &stepped, info), NOERROR);
    EXPECT_EQ(stepped, 2);
}

TEST_F(NLS, FindsAnyCharacterOfASet) {
    EXPECT_EQ(FindChar("key=value;x", ";="), 3);
    EXPECT_EQ(FindChar("naïve café", "éï"), 2);
    // A byte inside a character is no character of the text.
    EXPECT_EQ(FindChar("café", "\xA9", ERR_NLS_NOT_FOUND), -1);
    EXPECT_EQ(FindChar("abc", "", ERR_NLS_BAD_ARGUMENT), 0);
    EXPECT_EQ(FindChar("", "a", ERR_NLS_NOT_FOUND), -1);
}

TEST_F(NLS, FindsSubstringsOnlyOnWholeCharacters) {
    EXPECT_EQ(FindString("日本語の本", "本"), 3);
    EXPECT_EQ(FindString("日本語の本", "の本"), 9);
    EXPECT_EQ(FindString("\xE6\x97\xA5", "\x97\xA5", ERR_NLS_NOT_FOUND), -1);
    EXPECT_EQ(FindString("é", "\xC3", ERR_NLS_NOT_FOUND), -1);
    EXPECT_EQ(FindString("ab", "abc", ERR_NLS_NOT_FOUND), -1);
    EXPECT_EQ(FindString("abc", "", ERR_NLS_BAD_ARGUMENT), 0);
}

TEST_F(NLS, ScansMoveToTheNearestWordStart) {
    const std::string text = "one two  three";
    EXPECT_EQ(ScanForward(NLSNextWord, text, 0), 4);
    EXPECT_EQ(ScanForward(NLSNextWord, text, 5), 9);
    EXPECT_EQ(ScanForward(NLSNextWord, text, 9, ERR_NLS_NOT_FOUND), 9);
    EXPECT_EQ(ScanBackward(NLSPreviousWord, text, text.size()), 9);
    EXPECT_EQ(ScanBackward(NLSPreviousWord, text, 9), 4);
    EXPECT_EQ(ScanBackward(NLSPreviousWord, text, 6), 4);
    EXPECT_EQ(ScanBackward(NLSPreviousWord, text, 0, ERR_NLS_NOT_FOUND), 0);
    // Accented letters are word characters; "à" starts at byte 6.
    const std::string french = "été à Paris";
    EXPECT_EQ(ScanForward(NLSNextWord, french, 0), 6);
    EXPECT_EQ(ScanBackward(NLSPreviousWord, french, 6), 0);
}

TEST_F(NLS, ScansMoveToTheNearestLineStart) {
    const std::string text = "ab\nçd\n";
    EXPECT_EQ(ScanForward(NLSNextLine, text, 0), 3);
    EXPECT_EQ(ScanForward(NLSNextLine, text, 3, ERR_NLS_NOT_FOUND), 3);
    EXPECT_EQ(ScanBackward(NLSPreviousLine, text, 5), 3);
    EXPECT_EQ(ScanBackward(NLSPreviousLine, text, 3), 0);
    const char* p = text.data();
    EXPECT_EQ(NLSPreviousLine(&p, text.data() + 1, info), ERR_NLS_BAD_ARGUMENT);
}

TEST_F(NLS, ClassifiesCharactersByTheirUnicodeProperties) {
    EXPECT_EQ(Class("A", NLS_CLASS_UPPER), NOERROR);
    EXPECT_EQ(Class("A", NLS_CLASS_LOWER), ERR_NLS_NOT_IN_CLASS);
    EXPECT_EQ(Class("é", NLS_CLASS_LOWER), NOERROR);
    EXPECT_EQ(Class("é", NLS_CLASS_ALPHA), NOERROR);
    EXPECT_EQ(Class("٣", NLS_CLASS_DIGIT), NOERROR);
    EXPECT_EQ(Class("٣", NLS_CLASS_ALNUM), NOERROR);
    EXPECT_EQ(Class("٣", NLS_CLASS_ALPHA), ERR_NLS_NOT_IN_CLASS);
    for (const char* blank : {" ", "\n", "\t", "\xC2\xA0"})
        EXPECT_EQ(Class(blank, NLS_CLASS_SPACE), NOERROR);
    EXPECT_EQ(Class("x", NLS_CLASS_SPACE), ERR_NLS_NOT_IN_CLASS);
    EXPECT_EQ(Class("\x01", NLS_CLASS_CNTRL), NOERROR);
    EXPECT_EQ(Class("\x01", NLS_CLASS_PRINT), ERR_NLS_NOT_IN_CLASS);
    EXPECT_EQ(Class("«", NLS_CLASS_PUNCT), NOERROR);
    EXPECT_EQ(Class("\xFF", NLS_CLASS_PRINT), ERR_NLS_NOT_IN_CLASS);
    EXPECT_EQ(Class("a", 0), ERR_NLS_BAD_ARGUMENT);
    EXPECT_EQ(Class("a", NLS_CLASS_UPPER + 1), ERR_NLS_BAD_ARGUMENT);
    EXPECT_EQ(Class("", NLS_CLASS_ALPHA), ERR_NLS_BAD_ARGUMENT);
}

TEST_F(NLS, EveryServiceAnswersAStatusOnceTheLibraryIsStopped) {
    ASSERT_EQ(TermProcess(), NOERROR);
    const std::string text = "abc";
    const char* p = text.data();
    const NLSInfo* stale = nullptr;
    uint16_t n = 0;
    char out[8];
    int order = 0;
    EXPECT_EQ(GetNLSInfo(&stale), ERR_NOT_INITIALIZED);
    EXPECT_EQ(TranslateText(TRANSLATE_FOLD_CASE, "A", 1, out, 8, &n), ERR_NOT_INITIALIZED);
    EXPECT_EQ(NLSStringChars(p, 3, &n, info), ERR_NOT_INITIALIZED);
    EXPECT_EQ(NLSStringBytes(p, 3, 1, &n, info), ERR_NOT_INITIALIZED);
    EXPECT_EQ(NLSStepCharacter(&p, 3, &n, info), ERR_NOT_INITIALIZED);
    EXPECT_EQ(NLSFindCharacter(p, 3, "b", 1, &p, info), ERR_NOT_INITIALIZED);
    EXPECT_EQ(NLSFindSubstring(p, 3, "b", 1, &p, info), ERR_NOT_INITIALIZED);
    EXPECT_EQ(NLSNextWord(&p, 3, info), ERR_NOT_INITIALIZED);
    EXPECT_EQ(NLSNextLine(&p, 3, info), ERR_NOT_INITIALIZED);
    EXPECT_EQ(NLSPreviousWord(&p, p, info), ERR_NOT_INITIALIZED);
    EXPECT_EQ(NLSPreviousLine(&p, p, info), ERR_NOT_INITIALIZED);
    EXPECT_EQ(NLSCharacterIsOfClass(p, 3, NLS_CLASS_ALPHA, info), ERR_NOT_INITIALIZED);
    EXPECT_EQ(CompareText("a", 1, "b", 1, 0, &order), ERR_NOT_INITIALIZED);
    EXPECT_EQ(p, text.data());
    ASSERT_EQ(InitProcess(0, nullptr), NOERROR);
}

} // namespace
} // namespace nnotes
