#include "ln/lnapi.h"
#include "ln/lnerrors.h"
#include "ln/lnstatus.h"
#include "nnotes/process.h"
#include "nnotes/status.h"
#include "testobjects.h"
#include "testsupport/test_area.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// Leaves the throw switch and the API as it found them.
class StatusTest : public ::testing::Test {
protected:
    void TearDown() override { LNClearThrowAllErrors(); }
};

TEST_F(StatusTest, Classification) {
    EXPECT_EQ(LNGetSeverity(LNERR_NO_MEMORY), LNSEVERITY_ERROR);
    EXPECT_EQ(LNGetSeverity(LNWARN_NOT_FOUND), LNSEVERITY_WARNING);
    EXPECT_TRUE(LNIsError(LNERR_NO_MEMORY));
    EXPECT_FALSE(LNIsError(LNWARN_NOT_FOUND));
    EXPECT_TRUE(LNIsNotesStatus(0x0103));
    EXPECT_TRUE(LNIsError(0x0103));
    EXPECT_FALSE(LNIsNotesStatus(0x10000));
    EXPECT_FALSE(LNIsError(0x10000));
    EXPECT_FALSE(LNIsError(0));
    EXPECT_EQ(LNToNotesStatus(0x12345), 0x2345u);
    EXPECT_EQ(LNERR(14), 0xC000000Eu);
    EXPECT_EQ(LNWARN_UNDELETED_OBJECTS, 0xD0000062u);
}

TEST_F(StatusTest, ReturnOrThrowFollowsTheSwitch) {
    EXPECT_EQ(LNReturnOrThrow(LNERR_NULL_POINTER), LNERR_NULL_POINTER);
    EXPECT_EQ(LNReturnOrThrow(0x0103), 0x0103u);

    LNSetThrowAllErrors(true);
    EXPECT_TRUE(LNGetThrowAllErrors());
    EXPECT_EQ(LNReturnOrThrow(LNWARN_NOT_FOUND), LNWARN_NOT_FOUND) << "warnings are never thrown";
    EXPECT_EQ(LNReturnOrThrow(0x10000), 0x10000u);
    EXPECT_EQ(LNReturnOrThrow(0), 0u);
    EXPECT_EQ(Thrown([] { LNReturnOrThrow(0x0103); }), 0x0103u);
    EXPECT_EQ(Thrown([] { LNReturnOrThrow(LNERR_NULL_POINTER); }), LNERR_NULL_POINTER);

    // Only the low 16 bits of a Notes result count.
    EXPECT_EQ(Thrown([] { LNReturnOrThrowNotesStatus(0x70103); }), 0x0103u);
    EXPECT_EQ(LNReturnOrThrowNotesStatus(0x10000), 0u);

    LNClearThrowAllErrors();
    EXPECT_FALSE(LNGetThrowAllErrors());
    EXPECT_EQ(LNReturnOrThrowNotesStatus(0x70103), 0x0103u);
}

TEST_F(StatusTest, MessageTableEnds) {
    EXPECT_EQ(LNGetMessageText(0), nullptr);
    EXPECT_EQ(LNGetMessageText(LNERR(109)), nullptr);
    EXPECT_STREQ(LNGetMessageText(LNERR(1)),
                 "API program is incompatible with this version of the API library");
    EXPECT_STREQ(LNGetMessageText(LNERR(54)), "");
    EXPECT_STREQ(LNGetMessageText(LNERR(108)), "Use Forward function instead of Send.");
    EXPECT_STREQ(LNGetMessageText(LNWARN_NOT_FOUND), "No match found");
    EXPECT_STREQ(LNGetMessageText(LNERR_ALLOCATE_DURING_DELETE_ALL),
                 "Cannot allocate memory while LNDeleteAllObjects executes");
}

TEST_F(StatusTest, ErrorTextOfApiCodes) {
    char buffer[256];
    EXPECT_EQ(LNGetErrorText(LNERR_NOT_INITIALIZED, buffer, sizeof buffer), 31u);
    EXPECT_STREQ(buffer, "Object has not been initialized");
    LNGetErrorText(LNERR(54), buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "(no error message available)");
    LNGetErrorText(LNERR(109), buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "(no error message available)");
    LNGetErrorText(LNWARN_UNDELETED_OBJECTS, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "Undeleted objects found; possible memory leak");

    std::strcpy(buffer, "stale");
    EXPECT_EQ(LNGetErrorText(0, buffer, sizeof buffer), 0u);
    EXPECT_STREQ(buffer, "");
}

TEST_F(StatusTest, ErrorTextIsCopiedBoundedAndTerminated) {
    char buffer[10];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(LNGetErrorText(LNERR_NO_MEMORY, buffer, sizeof buffer), 9u);
    EXPECT_STREQ(buffer, "Insuffici");

    char one[1] = {'x'};
    EXPECT_EQ(LNGetErrorText(LNERR_NO_MEMORY, one, 1), 0u);
    EXPECT_EQ(one[0], '\0');
}

TEST_F(StatusTest, ErrorTextArgumentFaultsAreAlwaysThrown) {
    char buffer[16];
    EXPECT_EQ(Thrown([&] { LNGetErrorText(LNERR_NO_MEMORY, nullptr, 16); }), LNERR_NULL_POINTER);
    EXPECT_EQ(Thrown([&] { LNGetErrorText(LNERR_NO_MEMORY, buffer, 0); }), LNERR_OUT_OF_RANGE);
    EXPECT_EQ(Thrown([&] { LNGetErrorText(LNERR_NO_MEMORY, buffer, 65536); }), LNERR_OUT_OF_RANGE);
    static char big[65535];
    EXPECT_EQ(LNGetErrorText(LNERR_NO_MEMORY, big, sizeof big), 19u);
}

TEST_F(StatusTest, NotesStatusTextNeedsAStartedApi) {
    ASSERT_FALSE(LNIsAPIInitialized());
    char buffer[64];
    LNGetErrorText(nnotes::ERR_NOEXIST, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "(no error message available)");

    ASSERT_EQ(LNInitAPI(LNAPI_VERSION), 0u);
    // Without the Notes process nothing can be translated.
    LNGetErrorText(nnotes::ERR_NOEXIST, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "(no error message available)");

    testsupport::TestArea area;
    ASSERT_EQ(nnotes::InitProcess(0, nullptr), nnotes::NOERROR);
    EXPECT_EQ(LNGetErrorText(nnotes::ERR_NOEXIST, buffer, sizeof buffer), 19u);
    EXPECT_STREQ(buffer, "File does not exist");
    // Flag bits above the 14-bit code do not change the text.
    LNGetErrorText(0x8000 | nnotes::ERR_NOEXIST, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "File does not exist");
    // A status without a catalogue text.
    LNGetErrorText(0x3FFE, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "(no error message available)");
    // A Notes text longer than the buffer still comes back terminated.
    char small[5];
    std::memset(small, 'x', sizeof small);
    EXPECT_EQ(LNGetErrorText(nnotes::ERR_NOEXIST, small, sizeof small), 4u);
    EXPECT_STREQ(small, "File");
    EXPECT_EQ(nnotes::TermProcess(), nnotes::NOERROR);
    EXPECT_EQ(LNTermAPI(), 0u);
}

} // namespace
