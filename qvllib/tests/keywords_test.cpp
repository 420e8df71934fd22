// Keyword lists of the open data source's lookups: the walking slot and the slot read by index.
#include "libfixture.h"

namespace qvltest {
namespace {

class KeywordTest : public LibraryTest {
protected:
    static std::string First() { return Read(KWGetFirst); }
    static std::string Next() { return Read(KWGetNext); }
    static std::string Get(int index) {
        char text[256];
        return KWGet(index, text, sizeof text) == 1 ? std::string(text) : "<none>";
    }

private:
    static std::string Read(int (*reader)(char*, int)) {
        char text[256];
        return reader(text, sizeof text) == -1 ? std::string(text) : "<none>";
    }
};

TEST_F(KeywordTest, NothingOpensWithoutAnOpenDataSourceOrAKnownLookup) {
    OpenStandard();
    EXPECT_EQ(KWOpen("Region"), 0);
    EXPECT_EQ(KWLoad("Region"), 0);
    ASSERT_EQ(DSOpen("Contacts"), 3);
    EXPECT_EQ(KWOpen("Unknown"), 0);
    EXPECT_EQ(KWOpen("region"), 0);
    EXPECT_EQ(KWOpen(nullptr), 0);
    EXPECT_EQ(KWLoad(nullptr), 0);
    EXPECT_EQ(First(), "<none>");
    EXPECT_EQ(KWOpen("Gone"), 0); // its view does not exist
    EXPECT_EQ(First(), "<none>");
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(KeywordTest, TheWalkingSlotStepsThroughTheRowsUntilItIsClosed) {
    OpenStandard();
    ASSERT_EQ(DSOpen("Contacts"), 3);
    ASSERT_EQ(KWOpen("Region"), 1);
    EXPECT_EQ(First(), "K01");
    for (int i = 2; i <= 12; ++i)
        EXPECT_EQ(Next(), (i < 10 ? "K0" : "K") + std::to_string(i));
    EXPECT_EQ(Next(), "<none>");
    EXPECT_EQ(LastErrorText(), "");
    EXPECT_EQ(First(), "K01");

    char text[4] = "abc";
    EXPECT_EQ(KWGetFirst(text, 0), 0);
    EXPECT_EQ(KWGetFirst(nullptr, 10), 0);
    EXPECT_STREQ(text, "abc");
    EXPECT_EQ(KWGetNext(text, 2), -1);
    EXPECT_STREQ(text, "K");

    KWClose();
    EXPECT_EQ(First(), "<none>");
    KWClose();
    ASSERT_EQ(KWOpen("Status"), 1);
    EXPECT_EQ(First(), "Active");
    EXPECT_EQ(Next(), "Closed");
    EXPECT_EQ(Next(), "<none>");
}

TEST_F(KeywordTest, AKeywordViewWithoutColumnsGivesZeroYetStaysOpenUntilKWClose) {
    OpenStandard();
    ASSERT_EQ(DSOpen("Contacts"), 3);
    EXPECT_EQ(KWOpen("Empty"), 0);
    EXPECT_TRUE(KeywordViewOpen);
    EXPECT_TRUE(KeywordView.IsOpen());
    EXPECT_EQ(First(), ""); // its rows have no keyword to give
    KWClose();
    EXPECT_FALSE(KeywordViewOpen);
    EXPECT_FALSE(KeywordView.IsOpen());
    EXPECT_EQ(First(), "<none>");
    EXPECT_EQ(KWLoad("Empty"), 2);
    EXPECT_EQ(Get(0), "");
}

TEST_F(KeywordTest, AViewThatIsNotFoundNeverReopensThePreviousOne) {
    OpenStandard();
    ASSERT_EQ(DSOpen("Contacts"), 3);
    ASSERT_EQ(KWOpen("Status"), 1);
    EXPECT_EQ(KWOpen("Gone"), 0);
    EXPECT_EQ(First(), "<none>");
    ASSERT_EQ(KWLoad("Status"), 2);
    EXPECT_EQ(KWLoad("Gone"), 0);
    EXPECT_EQ(Get(0), "<none>");
}

TEST_F(KeywordTest, NumberAndDateKeywordsReadAsText) {
    OpenWithValues();
    ASSERT_EQ(DSOpen("Contacts"), 3);
    ASSERT_EQ(KWOpen("Age"), 1);
    EXPECT_EQ(First(), "33");
    EXPECT_EQ(Next(), "41");
    EXPECT_EQ(KWLoad("Age"), 3);
    EXPECT_EQ(Get(2), "52");

    ASSERT_EQ(DSOpen("Values"), 5);
    ASSERT_EQ(KWOpen("Since"), 1);
    EXPECT_EQ(First(), "11/30/1999 11:59:59 PM");
    EXPECT_EQ(Next(), "03/01/2019 09:00:00 AM");
    ASSERT_EQ(KWLoad("Since"), 2);
    EXPECT_EQ(Get(1), "03/01/2019 09:00:00 AM");
}

TEST_F(KeywordTest, TheLoadedSlotIsReadByRowIndex) {
    OpenStandard();
    ASSERT_EQ(DSOpen("Everyone"), 3);
    ASSERT_EQ(KWLoad("Region"), 12);
    EXPECT_EQ(Get(0), "K01");
    EXPECT_EQ(Get(11), "K12");
    EXPECT_EQ(Get(12), "<none>");
    EXPECT_EQ(Get(-1), "<none>");
    char text[4] = "abc";
    EXPECT_EQ(KWGet(12, text, sizeof text), 0);
    EXPECT_STREQ(text, "abc");

    ASSERT_EQ(KWLoad("Status"), 2);
    EXPECT_EQ(Get(1), "Closed");
    EXPECT_EQ(Get(2), "<none>");
    EXPECT_EQ(KWLoad("Gone"), 0);
    EXPECT_EQ(Get(0), "<none>");
}

TEST_F(KeywordTest, BothSlotsWorkSideBySide) {
    OpenStandard();
    ASSERT_EQ(DSOpen("Contacts"), 3);
    ASSERT_EQ(KWOpen("Status"), 1);
    ASSERT_EQ(KWLoad("Region"), 12);
    EXPECT_EQ(First(), "Active");
    EXPECT_EQ(Get(4), "K05");
    EXPECT_EQ(Next(), "Closed");
}

} // namespace
} // namespace qvltest
