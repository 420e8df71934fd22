// Server add-ins: status lines by id, the default line, and the add-in's place in the session.
#include "lnsession_fixture.h"

#include "ln/lnserveraddin.h"
#include "nnotes/addin.h"
#include "nnotes/memblock.h"
#include "nnotes/settings.h"
#include "nnotes/status.h"

#include <filesystem>

namespace {

class AddinTest : public SessionTest {
protected:
    void SetUp() override {
        SessionTest::SetUp();
        ASSERT_EQ(session_.AddServerAddin(T("Merge"), T("Idle"), &addin_), LNNOERROR);
    }
    void TearDown() override {
        addin_.Close();
        SessionTest::TearDown();
    }

    static std::string Text(const LNString& s) { return s.GetPlatformTextPtr(); }

    LNServerAddin addin_;
};

TEST_F(AddinTest, LinesGetConsecutiveIdsOrTheCallersOwn) {
    uint32_t first = 0, second = 0;
    ASSERT_EQ(addin_.CreateStatusLine(T("Reader"), T("waiting"), &first), LNNOERROR);
    ASSERT_EQ(addin_.CreateStatusLine(T("Writer"), T("busy"), &second), LNNOERROR);
    EXPECT_EQ(second, first + 1);
    ASSERT_EQ(addin_.CreateStatusLine(T("Chosen"), T("x"), 500u), LNNOERROR);
    LNString name, text;
    ASSERT_EQ(addin_.GetStatusLineName(500, &name), LNNOERROR);
    EXPECT_EQ(Text(name), "Chosen");
    ASSERT_EQ(addin_.GetStatusLineText(second, &text), LNNOERROR);
    EXPECT_EQ(Text(text), "busy");
    EXPECT_EQ(addin_.GetStatusLineName(9999, &name), LNERR_INVALID_STATUS_LINE);
    ASSERT_EQ(addin_.DeleteStatusLine(first), LNNOERROR);
    EXPECT_EQ(addin_.DeleteStatusLine(first), LNERR_INVALID_STATUS_LINE);
    EXPECT_EQ(addin_.DeleteStatusLine(LNServerAddin::kDefaultStatusLineID), LNERR_INVALID_STATUS_LINE);
}

TEST_F(AddinTest, IdsThatCouldNotBeFoundAgainAreRefused) {
    EXPECT_EQ(addin_.CreateStatusLine(T("Hidden"), T("x"), LNServerAddin::kDefaultStatusLineID),
              LNERR_INVALID_STATUS_LINE);
    uint32_t next = 0;
    ASSERT_EQ(addin_.CreateStatusLine(T("Counted"), T("x"), &next), LNNOERROR);
    EXPECT_EQ(addin_.CreateStatusLine(T("Twin"), T("y"), next), LNERR_INVALID_STATUS_LINE);
    LNString name;
    ASSERT_EQ(addin_.GetStatusLineName(next, &name), LNNOERROR);
    EXPECT_EQ(Text(name), "Counted") << "the line of that id is still the first one";
    // A caller's id ahead of the counter is passed over when the counter reaches it.
    ASSERT_EQ(addin_.CreateStatusLine(T("Ahead"), T("z"), next + 1), LNNOERROR);
    uint32_t after = 0;
    ASSERT_EQ(addin_.CreateStatusLine(T("After"), T("w"), &after), LNNOERROR);
    EXPECT_EQ(after, next + 2);
    ASSERT_EQ(addin_.DeleteStatusLine(next + 1), LNNOERROR);
    ASSERT_EQ(addin_.GetStatusLineName(after, &name), LNNOERROR);
    EXPECT_EQ(Text(name), "After");
}

TEST_F(AddinTest, TheTaskLineCarriesNameAndStatus) {
    LNString name, text;
    ASSERT_EQ(addin_.GetTaskName(&name), LNNOERROR);
    EXPECT_EQ(Text(name), "Merge");
    ASSERT_EQ(addin_.SetStatusText(T("Merging")), LNNOERROR);
    ASSERT_EQ(addin_.GetStatusText(&text), LNNOERROR);
    EXPECT_EQ(Text(text), "Merging");
    nnotes::DHANDLE line = 0;
    bool exists = false;
    ASSERT_EQ(nnotes::GetTaskDefaults(&line, &exists), nnotes::NOERROR);
    ASSERT_TRUE(exists);
    char console[nnotes::MAXPATH];
    ASSERT_EQ(nnotes::GetStatusLineHandleText(line, nullptr, console), nnotes::NOERROR);
    EXPECT_STREQ(console, "Merging");
    ASSERT_EQ(addin_.SetTaskName(T("Merger")), LNNOERROR);
    ASSERT_EQ(addin_.GetTaskName(&name), LNNOERROR);
    ASSERT_EQ(addin_.GetStatusText(&text), LNNOERROR);
    EXPECT_EQ(Text(name), "Merger");
    EXPECT_EQ(Text(text), "Merging") << "renaming keeps the status";
}

TEST_F(AddinTest, ALineBecomesTheDefault) {
    uint32_t id = 0;
    ASSERT_EQ(addin_.CreateStatusLine(T("Worker"), T("ready"), &id), LNNOERROR);
    const uint32_t old = id;
    ASSERT_EQ(addin_.SetDefaultStatusLine(&id), LNNOERROR);
    EXPECT_EQ(id, LNServerAddin::kDefaultStatusLineID);
    LNString name;
    EXPECT_EQ(addin_.GetStatusLineName(old, &name), LNERR_INVALID_STATUS_LINE);
    ASSERT_EQ(addin_.GetTaskName(&name), LNNOERROR);
    EXPECT_EQ(Text(name), "Worker");
    uint32_t unknown = 4242;
    EXPECT_EQ(addin_.SetDefaultStatusLine(&unknown), LNERR_INVALID_STATUS_LINE);
}

TEST_F(AddinTest, RenamingALineKeepsItsIdAndText) {
    uint32_t id = 0;
    ASSERT_EQ(addin_.CreateStatusLine(T("Before"), T("state"), &id), LNNOERROR);
    ASSERT_EQ(addin_.SetStatusLineName(id, T("After")), LNNOERROR);
    LNString name, text;
    ASSERT_EQ(addin_.GetStatusLineName(id, &name), LNNOERROR);
    ASSERT_EQ(addin_.GetStatusLineText(id, &text), LNNOERROR);
    EXPECT_EQ(Text(name), "After");
    EXPECT_EQ(Text(text), "state");
    ASSERT_EQ(addin_.SetStatusLineText(id, T("new state")), LNNOERROR);
    ASSERT_EQ(addin_.GetStatusLineText(id, &text), LNNOERROR);
    EXPECT_EQ(Text(text), "new state");
    EXPECT_EQ(addin_.SetStatusLineText(id + 100, T("x")), LNERR_INVALID_STATUS_LINE);
}

TEST_F(AddinTest, MessagesTimersAndTheEndOfTheTask) {
    EXPECT_EQ(addin_.LogMessage(T("started")), LNNOERROR);
    EXPECT_TRUE(std::filesystem::exists(data_ + "/log.nsf"));
    EXPECT_TRUE(addin_.HaveSecondsElapsed(0));
    EXPECT_FALSE(addin_.HaveMinutesElapsed(600));
    EXPECT_FALSE(addin_.IsTerminating());
    ASSERT_EQ(session_.SetEnvironmentLong(T("AddinStop"), 1), LNNOERROR);
    EXPECT_TRUE(addin_.IsTerminating());
}

TEST_F(AddinTest, ClosingTheSessionClosesTheAddin) {
    uint32_t id = 0;
    ASSERT_EQ(addin_.CreateStatusLine(T("Line"), T("x"), &id), LNNOERROR);
    ASSERT_EQ(session_.Term(), LNNOERROR);
    LNString name;
    EXPECT_EQ(addin_.GetTaskName(&name), LNERR_INVALID_STATUS_LINE)
        << "the default line went with the session";
}

} // namespace
