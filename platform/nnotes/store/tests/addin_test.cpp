// Add-in status lines, the task's default line, messages in the log database, and the task's timers.
#include "testing/store_fixture.h"

namespace nnotes::testing {
namespace {

using AddinTest = StoreTest;

std::string LineText(DHANDLE line, std::string* name = nullptr) {
    char n[MAXPATH], t[MAXPATH];
    if (GetStatusLineHandleText(line, n, t) != NOERROR) return "<none>";
    if (name != nullptr) *name = n;
    return t;
}

TEST_F(AddinTest, StatusLinesKeepTheirNameAndText) {
    DHANDLE line = NULLHANDLE;
    ASSERT_EQ(NewStatusLineHandle("Merge", &line), NOERROR);
    std::string name;
    EXPECT_EQ(LineText(line, &name), "");
    EXPECT_EQ(name, "Merge");
    ASSERT_EQ(SetStatusLineHandleText(line, "Idle"), NOERROR);
    EXPECT_EQ(LineText(line), "Idle");
    ASSERT_EQ(FreeStatusLineHandle(line), NOERROR);
    EXPECT_EQ(SetStatusLineHandleText(line, "x"), ERR_STATUS_LINE);
    EXPECT_EQ(FreeStatusLineHandle(line), ERR_STATUS_LINE);
}

TEST_F(AddinTest, TheDefaultLineTakesTheTaskText) {
    DHANDLE current = 1;
    bool exists = true;
    ASSERT_EQ(GetTaskDefaults(&current, &exists), NOERROR);
    EXPECT_FALSE(exists);
    EXPECT_EQ(SetTaskStatusText("Busy"), ERR_STATUS_LINE);

    DHANDLE first = NULLHANDLE, second = NULLHANDLE;
    ASSERT_EQ(NewStatusLineHandle("Task", &first), NOERROR);
    ASSERT_EQ(NewStatusLineHandle("Other", &second), NOERROR);
    ASSERT_EQ(SetTaskDefaults(NULLHANDLE, first), NOERROR);
    ASSERT_EQ(SetTaskStatusText("Busy"), NOERROR);
    EXPECT_EQ(LineText(first), "Busy");
    ASSERT_EQ(SetTaskDefaults(first, second), NOERROR);
    ASSERT_EQ(GetTaskDefaults(&current, &exists), NOERROR);
    EXPECT_TRUE(exists);
    EXPECT_EQ(current, second);

    ASSERT_EQ(FreeStatusLineHandle(second), NOERROR);
    ASSERT_EQ(GetTaskDefaults(&current, &exists), NOERROR);
    EXPECT_FALSE(exists) << "a freed default line is no default";
    FreeStatusLineHandle(first);
}

TEST_F(AddinTest, MessagesAreStoredInTheLogDatabase) {
    ASSERT_EQ(WriteLogText("Merge started", ERR_NOEXIST), NOERROR);
    ASSERT_EQ(WriteLogText("Merge ended", 0), NOERROR);
    DBHANDLE log = 0;
    ASSERT_EQ(OpenDatabase(LOG_DATABASE, &log), NOERROR);
    DHANDLE table = NULLHANDLE;
    ASSERT_EQ(GetModifiedNoteTable(log, NOTE_CLASS_DOCUMENT, nullptr, nullptr, &table), NOERROR);
    EXPECT_EQ(IDEntries(table), 2u);
    NOTEID first = 0;
    ASSERT_EQ(IDScan(table, true, &first), NOERROR);
    EXPECT_EQ(TextOf(log, first, "Text"), "Merge started");
    EXPECT_EQ(TextOf(log, first, "Form"), "Event");
    DestroyIDTable(table);
    CloseDatabase(log);
}

TEST_F(AddinTest, TimersStartOnTheirFirstQuestion) {
    EXPECT_TRUE(SecondsElapsedQuery(0));
    EXPECT_FALSE(SecondsElapsedQuery(3600)) << "the first question starts the interval";
    EXPECT_FALSE(SecondsElapsedQuery(3600));
    EXPECT_FALSE(AddinStateQuery3(60));
    EXPECT_TRUE(AddinStateQuery3(0));
    EXPECT_FALSE(AddinStateQuery2());
    EXPECT_FALSE(AddinStateQuery4());
}

TEST_F(AddinTest, TheTaskIsAskedToEndThroughTheEnvironment) {
    EXPECT_FALSE(AddinStateQuery1());
    ASSERT_EQ(SetEnvironmentText("AddinStop", "1"), NOERROR);
    EXPECT_TRUE(AddinStateQuery1());
    ASSERT_EQ(SetEnvironmentText("AddinStop", "0"), NOERROR);
    EXPECT_FALSE(AddinStateQuery1());
}

} // namespace
} // namespace nnotes::testing
