#include "ln/lnerrors.h"
#include "ln/lnstringcompare.h"
#include "ln/lnstringtext.h"
#include "lnstringfixture.h"
#include "testobjects.h"

#include <cstring>
#include <optional>
#include <string>

namespace {

// One character of each UTF-8 size: 1 + 2 + 3 + 4 bytes.
const char* const kFour = "aé日😀";

using StringTest = TextTest;

TEST_F(StringTest, NotesTextKeepsItsBytesAndTurnsNulsIntoLineFeeds) {
    const LNString s(Notes("a\0b"), 3);
    EXPECT_EQ(Bytes(s), "a\nb");
    EXPECT_EQ(s.GetLength(), 3u);
    // Notes text is taken as it is, even when it is not well formed; its platform form is repaired.
    const LNString raw(Notes("a\xFF"));
    EXPECT_EQ(Bytes(raw), "a\xFF");
    EXPECT_STREQ(raw.GetPlatformTextPtr(), "a\xEF\xBF\xBD");
    EXPECT_EQ(raw.GetPlatformTextLength(), 4u);
    EXPECT_EQ(raw.GetByteLength(), 2u);
}

TEST_F(StringTest, PlatformTextIsRepairedOnTheWayIn) {
    const LNString s("a\xFFz");
    EXPECT_EQ(Bytes(s), "a\xEF\xBF\xBDz");
    EXPECT_EQ(s.GetLength(), 3u);
    EXPECT_EQ(Bytes(LNString("x\0y", 3)), "x\ny");
    EXPECT_TRUE(LNString(static_cast<const char*>(nullptr)).IsEmpty());
    // The worst case fills three bytes per byte; the terminator still has its room.
    const std::string broken(100, '\xFF');
    const LNString repaired(broken.c_str());
    EXPECT_EQ(repaired.GetByteLength(), 300u);
    EXPECT_EQ(repaired.GetLength(), 100u);
    const LNString raw(Notes(broken.c_str()));
    EXPECT_EQ(std::strlen(raw.GetPlatformTextPtr()), 300u);
}

// Text of any length translates whole, pieces of every kind straddling the places where it is cut into
// pieces: each reads as it would alone. A translation of one call would be refused past 65535 bytes.
TEST_F(StringTest, TextOfAnyLengthTranslatesWholeAcrossItsPieces) {
    struct Piece {
        std::string in, out;
    };
    const Piece pieces[] = {{"a", "a"},
                            {std::string("\0", 1), "\n"},
                            {"\xC3\xA9", "\xC3\xA9"},
                            {"\xE6\x97\xA5", "\xE6\x97\xA5"},
                            {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
                            {"\xFF", "\xEF\xBF\xBD"},
                            {"\xE2\x82z", "\xEF\xBF\xBDz"},
                            {"\x80\x80\x80\x80\x80", std::string(15, ' ')}};
    std::string fives;
    for (int i = 0; i < 5; ++i)
        fives += "\xEF\xBF\xBD";
    for (size_t shift = 0; shift < 5; ++shift) {
        std::string in(shift, 'x'), expected(shift, 'x');
        for (size_t i = 0; in.size() < 150000; ++i) {
            const Piece& piece = pieces[(i * 7 + shift) % std::size(pieces)];
            in += piece.in;
            expected += piece.out == std::string(15, ' ') ? fives : piece.out;
        }
        std::string out = "reused";
        lntext::TranslateWhole(nnotes::TRANSLATE_NOTES_TO_PLATFORM, in.data(), in.size(), out);
        ASSERT_EQ(out.size(), expected.size()) << "shift " << shift;
        EXPECT_TRUE(out == expected) << "shift " << shift;
    }
    std::string out = "reused";
    lntext::TranslateWhole(nnotes::TRANSLATE_NOTES_TO_PLATFORM, "", 0, out);
    EXPECT_EQ(out, "");
    const std::string ill(30000, '\xFF');
    lntext::TranslateWhole(nnotes::TRANSLATE_NOTES_TO_PLATFORM, ill.data(), ill.size(), out);
    EXPECT_EQ(out.size(), 90000u);
    EXPECT_THROW(lntext::TranslateCopy(nnotes::TRANSLATE_NOTES_TO_PLATFORM, ill.data(), 30000), LNSTATUS);
}

TEST_F(StringTest, EmptyStringAnswersEmptyTextsAndNotFound) {
    const LNString empty;
    EXPECT_STREQ(reinterpret_cast<const char*>(empty.GetTextPtr()), "");
    EXPECT_STREQ(empty.GetPlatformTextPtr(), "");
    EXPECT_EQ(empty.GetLength(), 0u);
    EXPECT_TRUE(empty.IsEmpty());
    uint32_t position = 99;
    EXPECT_EQ(empty.Find("a", 0, &position), LNWARN_NOT_FOUND);
    EXPECT_EQ(position, 99u);
}

TEST_F(StringTest, PositionsAndCountsAreInCharacters) {
    LNString s(kFour);
    EXPECT_EQ(s.GetLength(), 4u);
    EXPECT_EQ(s.GetByteLength(), 10u);
    EXPECT_EQ(s.GetPlatformTextLength(), 10u);
    LNString part;
    ASSERT_EQ(s.GetSubstring(1, 2, &part), 0u);
    EXPECT_EQ(Bytes(part), "é日");
    ASSERT_EQ(s.GetSubstring(3, 1, &part), 0u);
    EXPECT_EQ(Bytes(part), "😀");
    // An earlier position after a later one walks again from the start and finds the same offset.
    EXPECT_EQ(s[3].GetTextPtr() - s.GetTextPtr(), 6);
    EXPECT_EQ(s[1].GetTextPtr() - s.GetTextPtr(), 1);
    EXPECT_EQ(s[2].GetTextPtr() - s.GetTextPtr(), 3);
}

TEST_F(StringTest, SubstringChecksItsRange) {
    const LNString s(kFour);
    LNString part("kept");
    EXPECT_EQ(s.GetSubstring(0, 1, nullptr), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(s.GetSubstring(0, 0, &part), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(s.GetSubstring(3, 2, &part), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(s.GetSubstring(1, 0xFFFFFFFF, &part), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(Bytes(part), "kept");
}

TEST_F(StringTest, CopiesShareUntilOneOfThemChanges) {
    LNString original("abc");
    LNString copy(original);
    EXPECT_EQ(copy.GetBody(), original.GetBody());
    copy << "d";
    EXPECT_EQ(Bytes(original), "abc");
    EXPECT_EQ(Bytes(copy), "abcd");
    LNString assigned;
    assigned = original;
    original.Delete(0, 1);
    EXPECT_EQ(Bytes(assigned), "abc");
    EXPECT_EQ(Bytes(original), "bc");
}

TEST_F(StringTest, WritingThroughACharacterNeverChangesACopy) {
    LNString a("abc");
    LNString b(a);
    a[0] = 'x';
    EXPECT_EQ(Bytes(a), "xbc");
    EXPECT_EQ(Bytes(b), "abc");
    b[1] = 'y';
    EXPECT_EQ(Bytes(a), "xbc");
    EXPECT_EQ(Bytes(b), "ayc");

    // A copy taken while a character of the string lives gets its own text.
    LNChar c = a[2];
    LNString later(a);
    c = 'z';
    EXPECT_EQ(Bytes(a), "xbz");
    EXPECT_EQ(Bytes(later), "xbc");
    // The string and its live character keep writing into one text.
    a.Append("!");
    c = 'w';
    EXPECT_EQ(Bytes(a), "xbw!");
}

TEST_F(StringTest, ReadingThroughACharacterKeepsTheSharedText) {
    LNString a("abc");
    std::optional<LNString> b(a);
    const char* platform = a.GetPlatformTextPtr();
    const LNBody* shared = a.GetBody();
    EXPECT_EQ(char(a[1]), 'b');
    EXPECT_TRUE(a[2].IsClassB());
    EXPECT_EQ(a.GetBody(), shared) << "a read moves the string to no new text";
    b.reset();
    EXPECT_STREQ(platform, "abc") << "pointers taken before the read stay good";

    // Characters taken for reading still write as the string's own text, all of them together.
    LNString c(a);
    LNChar first = a[0];
    LNChar last = a[2];
    first = 'x';
    EXPECT_EQ(Bytes(a), "xbc");
    EXPECT_EQ(Bytes(c), "abc");
    last = 'z';
    EXPECT_EQ(Bytes(a), "xbz");
    EXPECT_EQ(Bytes(c), "abc");
    a.Append("!");
    first = 'y';
    EXPECT_EQ(Bytes(a), "ybz!");
    EXPECT_EQ(Bytes(c), "abc");
}

TEST_F(StringTest, ACharacterOfAConstStringWritesOnlyItsOwnCopy) {
    const LNString a("abc");
    const LNString b(a);
    LNChar c = a[1];
    c = 'Q';
    EXPECT_EQ(char(c), 'Q');
    EXPECT_EQ(Bytes(a), "abc");
    EXPECT_EQ(Bytes(b), "abc");
}

TEST_F(StringTest, AppendInsertAndDelete) {
    LNString s("aé");
    s << "日"
      << "😀";
    EXPECT_EQ(Bytes(s), kFour);
    s += s;
    EXPECT_EQ(s.GetLength(), 8u);
    ASSERT_EQ(s.Delete(1, 6), 0u);
    EXPECT_EQ(Bytes(s), "a😀");
    ASSERT_EQ(s.Insert(1, LNString("ü")), 0u);
    ASSERT_EQ(s.Insert(3, LNString("z")), 0u) << "insert at the length appends";
    EXPECT_EQ(Bytes(s), "aü😀z");
    ASSERT_EQ(s.Insert(0, s), 0u);
    EXPECT_EQ(Bytes(s), "aü😀zaü😀z");
    EXPECT_EQ(s.Delete(0, 0), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(s.Delete(7, 2), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(s.Delete(1, 0xFFFFFFFF), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(s.Insert(0, LNString()), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(s.Insert(9, LNString("x")), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(Bytes(s), "aü😀zaü😀z");
    // Deleting moves an overlapping tail down.
    LNString letters("abcdefgh");
    ASSERT_EQ(letters.Delete(1, 2), 0u);
    EXPECT_EQ(Bytes(letters), "adefgh");
}

TEST_F(StringTest, ReplaceInPlaceGrowingAndShrinking) {
    LNString s("abcdef");
    ASSERT_EQ(s.Replace(1, 2, LNString("XY")), 0u);
    EXPECT_EQ(Bytes(s), "aXYdef");
    ASSERT_EQ(s.Replace(1, 2, LNString("日本")), 0u);
    EXPECT_EQ(Bytes(s), "a日本def");
    ASSERT_EQ(s.Replace(1, 3, LNString("-")), 0u);
    EXPECT_EQ(Bytes(s), "a-ef");
    ASSERT_EQ(s.Replace(2, LNString("😀😀")), 0u) << "replaces as many characters as given";
    EXPECT_EQ(Bytes(s), "a-😀😀");
    ASSERT_EQ(s.Replace(0, 1, s), 0u);
    EXPECT_EQ(Bytes(s), "a-😀😀-😀😀");
    EXPECT_EQ(s.Replace(7, 1, LNString("x")), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(s.Replace(6, 2, LNString("x")), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(s.Replace(0, 0, LNString("x")), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(s.Replace(0, LNString()), LNERR_INVALID_PARAMETER);
}

TEST_F(StringTest, RangeErrorsAreThrownOnlyWhenAskedTo) {
    LNString s("abc");
    LNSetThrowAllErrors(true);
    EXPECT_EQ(Thrown([&] { s.Delete(0, 0); }), LNERR_INVALID_PARAMETER);
    uint32_t position = 0;
    EXPECT_EQ(s.Find("x", 0, &position), LNWARN_NOT_FOUND) << "a warning is never thrown";
    LNSetThrowAllErrors(false);
    EXPECT_EQ(Thrown([&] { s[3]; }), LNERR_INVALID_PARAMETER) << "operator[] always throws";
}

TEST_F(StringTest, LongerTextsThanTheServicesTakeAreRefused) {
    const std::string longest(LNSTRING_MAX_BYTES, 'a');
    const LNString full(longest.c_str());
    EXPECT_EQ(full.GetLength(), LNSTRING_MAX_BYTES);
    const std::string tooLong(LNSTRING_MAX_BYTES + 1, 'a');
    EXPECT_EQ(Thrown([&] { LNString s(tooLong.c_str()); }), LNERR_STRING_TOO_LONG);
    EXPECT_EQ(Thrown([&] { LNString s(Notes(tooLong.c_str())); }), LNERR_STRING_TOO_LONG);
    // Short enough to take in, but three times as long once every byte is repaired.
    const std::string broken(30000, '\xFF');
    EXPECT_EQ(Thrown([&] { LNString s(broken.c_str()); }), LNERR_STRING_TOO_LONG);
    const LNString raw(Notes(broken.c_str()));
    EXPECT_EQ(Thrown([&] { raw.GetPlatformTextPtr(); }), LNERR_STRING_TOO_LONG);

    LNString s(full);
    EXPECT_EQ(s.Append("b"), LNERR_STRING_TOO_LONG);
    EXPECT_EQ(s.Insert(0, "b"), LNERR_STRING_TOO_LONG);
    EXPECT_EQ(s.Replace(0, 1, "bb"), LNERR_STRING_TOO_LONG);
    EXPECT_EQ(Thrown([&] { s += "b"; }), LNERR_STRING_TOO_LONG);
    EXPECT_EQ(s.GetByteLength(), LNSTRING_MAX_BYTES);
    // An upper-cased U+0250 takes three bytes instead of two.
    std::string growing;
    for (int i = 0; i < 30000; ++i)
        growing += "ɐ";
    LNString folded(growing.c_str());
    EXPECT_EQ(folded.TranslateInPlaceMode3(), LNERR_STRING_TOO_LONG);
    EXPECT_EQ(Bytes(folded), growing);
}

TEST_F(StringTest, FindCountsCharactersFromTheStart) {
    const LNString s("日本語の本と本");
    uint32_t position = 0;
    ASSERT_EQ(s.Find("本", 0, &position), 0u);
    EXPECT_EQ(position, 1u);
    ASSERT_EQ(s.Find("本", 2, &position), 0u);
    EXPECT_EQ(position, 4u);
    ASSERT_EQ(s.Find("本と", 0, &position), 0u);
    EXPECT_EQ(position, 4u);
    EXPECT_EQ(s.Find("本", 7, &position), LNWARN_NOT_FOUND) << "start at the length searches the empty tail";
    EXPECT_EQ(s.Find("本", 8, &position), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(s.Find("", 0, &position), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(s.Find("本", 0, nullptr), LNERR_INVALID_PARAMETER);
}

TEST_F(StringTest, FindCharLooksForOneCharacter) {
    const LNString s("key=日本;x");
    uint32_t position = 0;
    ASSERT_EQ(s.FindChar(';', 0, &position), 0u);
    EXPECT_EQ(position, 6u);
    ASSERT_EQ(s.FindChar(u'本', 0, &position), 0u);
    EXPECT_EQ(position, 5u);
    ASSERT_EQ(s.FindChar(LNString("日x"), 0, &position), 0u) << "the pattern's first character only";
    EXPECT_EQ(position, 4u);
    EXPECT_EQ(s.FindChar('z', 0, &position), LNWARN_NOT_FOUND);
    EXPECT_EQ(s.FindChar('\0', 0, &position), LNERR_INVALID_PARAMETER);
}

TEST_F(StringTest, ScansMoveByWordsAndLines) {
    const LNString s("été à\nParis, là");
    uint32_t position = 0;
    ASSERT_EQ(s.ScanNextA(0, &position), 0u);
    EXPECT_EQ(position, 4u);
    ASSERT_EQ(s.ScanNextA(4, &position), 0u);
    EXPECT_EQ(position, 6u);
    ASSERT_EQ(s.ScanPreviousA(6, &position), 0u);
    EXPECT_EQ(position, 4u);
    ASSERT_EQ(s.ScanNextB(0, &position), 0u);
    EXPECT_EQ(position, 6u);
    ASSERT_EQ(s.ScanPreviousB(8, &position), 0u);
    EXPECT_EQ(position, 6u);
    EXPECT_EQ(s.ScanNextA(13, &position), LNWARN_NOT_FOUND);
    EXPECT_EQ(s.ScanPreviousB(0, &position), LNWARN_NOT_FOUND);
    EXPECT_EQ(s.ScanNextB(16, &position), LNERR_INVALID_PARAMETER);
}

TEST_F(StringTest, WholeTextFoldingsKeepTheCharacterCount) {
    LNString s("Crème BRÛLÉE ǆ");
    const uint32_t length = s.GetLength();
    LNString upper(s), folded(s), plain(s);
    ASSERT_EQ(upper.TranslateInPlaceMode3(), 0u);
    ASSERT_EQ(folded.TranslateInPlaceMode4(), 0u);
    ASSERT_EQ(plain.TranslateInPlaceMode5(), 0u);
    EXPECT_EQ(Bytes(upper), "CRÈME BRÛLÉE Ǆ");
    EXPECT_EQ(Bytes(folded), "crème brûlée ǆ");
    EXPECT_EQ(Bytes(plain), "Creme BRULEE ǆ");
    for (const LNString* t : {&upper, &folded, &plain})
        EXPECT_EQ(t->GetLength(), length);
    EXPECT_EQ(Bytes(s), "Crème BRÛLÉE ǆ") << "the original shares nothing that changed";
}

TEST_F(StringTest, EqualityWithPlatformTextCountsCaseAndAccents) {
    const LNString s("Résumé");
    EXPECT_TRUE(s == "Résumé");
    EXPECT_FALSE(s == "résumé");
    EXPECT_FALSE(s == "Resume");
}

TEST(StringWithoutApiTest, TextServicesNeedTheApiStarted) {
    ASSERT_FALSE(LNIsAPIInitialized());
    const LNString notes(Notes("abc"));
    EXPECT_EQ(Bytes(notes), "abc") << "Notes text needs no service";
    EXPECT_EQ(Thrown([] { LNString s("abc"); }), LNERR_SESSION_NOT_INITIALIZED);
    EXPECT_EQ(Thrown([&] { notes.GetLength(); }), LNERR_SESSION_NOT_INITIALIZED);
    EXPECT_EQ(Thrown([&] { notes.GetPlatformTextPtr(); }), LNERR_SESSION_NOT_INITIALIZED);
    uint32_t position = 0;
    EXPECT_EQ(notes.Find(notes, 0, &position), LNERR_SESSION_NOT_INITIALIZED) << "returned, not thrown";
    EXPECT_EQ(notes.FindChar('b', 0, &position), LNERR_SESSION_NOT_INITIALIZED);
}

} // namespace

namespace {

// A lone char is one Latin-1 character wherever a character is given or taken as char.
TEST_F(StringTest, LoneCharsAreLatin1) {
    const struct {
        char latin1;
        const char* platform;
    } cases[] = {{'\xE9', "é"}, {'\xDF', "ß"}, {'\xFF', "ÿ"}};
    for (const auto& c : cases) {
        LNString s("a-b");
        s[1] = c.latin1;
        EXPECT_STREQ(s.GetPlatformTextPtr(), (std::string("a") + c.platform + "b").c_str());
        EXPECT_EQ(char(s[1]), c.latin1) << c.platform;
        uint32_t at = 0;
        ASSERT_EQ(s.FindChar(c.latin1, 0, &at), 0u) << c.platform;
        EXPECT_EQ(at, 1u);
        EXPECT_EQ(LNStringCompare(c.latin1, c.latin1, 0), 0) << c.platform;
        EXPECT_EQ(LNStringCompare(s[1], c.latin1, 0), 0) << c.platform;
        EXPECT_NE(LNStringCompare('e', c.latin1, 0), 0) << c.platform;
    }
    EXPECT_NE(LNStringCompare('\xE9', '\xDF', 0), 0);
    EXPECT_NE(LNStringCompare('\xDF', '\xFF', 0), 0);
    uint32_t at = 0;
    EXPECT_EQ(LNString("aéb").FindChar('\xFF', 0, &at), LNWARN_NOT_FOUND);
}

} // namespace
