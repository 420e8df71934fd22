#include "ln/lnchar.h"
#include "ln/lnerrors.h"
#include "lnstringfixture.h"
#include "nnotes/process.h"
#include "nnotes/status.h"
#include "testobjects.h"

#include <optional>

namespace {

using CharTest = TextTest;

TEST_F(CharTest, ReadsTheCharacterAtItsPosition) {
    LNString s("aé日");
    EXPECT_EQ(char(s[0]), 'a');
    EXPECT_EQ(char(s[1]), '\xE9') << "a character of Latin-1 as its one byte";
    EXPECT_EQ(static_cast<unsigned char>(char(s[2])), 0xE6u) << "beyond Latin-1: the first byte";
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(s[2].GetTextPtr())), "日");
    EXPECT_EQ(s[0].GetClassID(), LNCLASSID_LNCHAR);
}

TEST_F(CharTest, AssignmentReplacesOneCharacterWhateverItsSize) {
    LNString s("aé日");
    s[2] = 'x';
    EXPECT_EQ(Bytes(s), "aéx");
    s[0] = u'本';
    EXPECT_EQ(Bytes(s), "本éx");
    s[1] = s[0];
    EXPECT_EQ(Bytes(s), "本本x");
    s[2] = '\0';
    EXPECT_EQ(Bytes(s), "本本\n") << "a NUL is stored as a line feed";
    s[0] = char16_t(0xD800);
    EXPECT_EQ(Bytes(s), "\xEF\xBF\xBD本\n") << "a lone surrogate is repaired";
    s[1] = '\xE9';
    EXPECT_EQ(s.GetLength(), 3u);
    LNChar c = s[2];
    c = c;
    EXPECT_EQ(Bytes(s), "\xEF\xBF\xBD\xC3\xA9\n") << "a lone char is a Latin-1 character";
}

TEST_F(CharTest, ClassTests) {
    const LNString s("aÉ7 ,\t\x01");
    EXPECT_TRUE(s[0].IsClassA());
    EXPECT_TRUE(s[0].IsClassB());
    EXPECT_TRUE(s[0].IsClassE());
    EXPECT_FALSE(s[0].IsClassH());
    EXPECT_TRUE(s[1].IsClassH());
    EXPECT_TRUE(s[1].IsClassF());
    EXPECT_TRUE(s[2].IsClassD());
    EXPECT_FALSE(s[2].IsClassB());
    EXPECT_TRUE(s[3].IsSpace());
    EXPECT_TRUE(s[3].IsClassF());
    EXPECT_TRUE(s[4].IsClassG());
    EXPECT_TRUE(s[5].IsSpace());
    EXPECT_TRUE(s[6].IsClassC());
    EXPECT_FALSE(s[6].IsClassF());
    EXPECT_FALSE(s[0].IsNull());
}

TEST_F(CharTest, FoldingsReplaceOneCharacter) {
    LNString s("éa");
    s[0].ToMode3();
    EXPECT_EQ(Bytes(s), "Éa");
    s[0].ToMode5();
    EXPECT_EQ(Bytes(s), "Ea");
    s[0].ToMode4();
    EXPECT_EQ(Bytes(s), "ea");
}

TEST_F(CharTest, ConstructionChecksBodyAndPosition) {
    EXPECT_EQ(Thrown([] { LNChar c(nullptr, 0); }), LNERR_ASSERTION_FAILED);
    LNString s("ab");
    EXPECT_EQ(Thrown([&] { LNChar c(static_cast<LNStringBody*>(s.GetBody()), 2); }), LNERR_ASSERTION_FAILED);
    // A character made from a body writes into that body.
    LNChar c(static_cast<LNStringBody*>(s.GetBody()), 1);
    c = 'z';
    EXPECT_EQ(Bytes(s), "az");
}

TEST_F(CharTest, KeepsItsTextAliveAfterTheString) {
    std::optional<LNString> s(std::in_place, "abc");
    LNChar c = (*s)[1];
    s.reset();
    EXPECT_EQ(char(c), 'b');
    c = 'q';
    EXPECT_EQ(char(c), 'q');
}

// A character taken from a string that has since let go of its text (given another one, or gone) belongs
// to no string: writing it must not reach a copy that still shares the text.
TEST_F(CharTest, ACharacterLeftBehindByItsStringNeverWritesIntoACopy) {
    LNString s("abc");
    const LNString copy(s);
    LNChar c = s[1];
    s = LNString("xyz");
    c = 'q';
    EXPECT_EQ(char(c), 'q');
    EXPECT_EQ(Bytes(copy), "abc");
    EXPECT_EQ(Bytes(s), "xyz");

    std::optional<LNString> gone(std::in_place, "abc");
    const LNString kept(*gone);
    LNChar d = (*gone)[0];
    LNChar e = (*gone)[2];
    gone.reset();
    d = 'q';
    e = 'r';
    EXPECT_EQ(Bytes(kept), "abc");
    // The characters it left behind still write into one text together.
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(d.GetTextPtr())), "qbr");
}

// Given the text it already has, a string keeps its characters: they go on writing as its own text.
TEST_F(CharTest, AStringGivenItsOwnTextAgainKeepsItsCharacters) {
    LNString s("abc");
    const LNString copy(s);
    LNChar c = s[0];
    s.AssignBody(static_cast<LNStringBody*>(s.GetBody()));
    c = 'q';
    EXPECT_EQ(Bytes(s), "qbc");
    EXPECT_EQ(Bytes(copy), "abc");
}

TEST_F(CharTest, EveryOperationNeedsTheApiStarted) {
    LNString s("abc");
    LNChar c = s[1];
    ASSERT_EQ(LNTermAPI(), LNWARN_UNDELETED_OBJECTS) << "the text stays for the handles that hold it";
    EXPECT_EQ(Thrown([&] { c = 'x'; }), LNERR_SESSION_NOT_INITIALIZED);
    EXPECT_EQ(Thrown([&] { (void)char(c); }), LNERR_SESSION_NOT_INITIALIZED);
    EXPECT_EQ(Thrown([&] { c.IsSpace(); }), LNERR_SESSION_NOT_INITIALIZED);
    EXPECT_EQ(Thrown([&] { c.ToMode4(); }), LNERR_SESSION_NOT_INITIALIZED);
    EXPECT_EQ(Thrown([&] { c.GetTextPtr(); }), LNERR_SESSION_NOT_INITIALIZED);
    ASSERT_EQ(LNInitAPI(LNAPI_VERSION), 0u);
}

TEST_F(CharTest, AStoppedStoreIsReportedNotCrashedInto) {
    LNString s("abc");
    LNChar c = s[1];
    ASSERT_EQ(nnotes::TermProcess(), nnotes::NOERROR);
    EXPECT_EQ(Thrown([&] { c.IsSpace(); }), LNSTATUS{nnotes::ERR_NOT_INITIALIZED});
    EXPECT_EQ(Thrown([&] { LNString t("x"); }), LNSTATUS{nnotes::ERR_NOT_INITIALIZED});
    ASSERT_EQ(nnotes::InitProcess(0, nullptr), nnotes::NOERROR);
}

} // namespace
