// Database arrays: directory scans by file kind, the order of their entries, and the databases they hand out.
#include "lnsession_fixture.h"

#include "ln/lndbarray.h"
#include "nnotes/status.h"

#include <filesystem>
#include <fstream>

namespace {

using DatabaseArrayTest = SessionTest;

TEST(DatabaseArrayFlags, FileKindsOfTheScan) {
    EXPECT_EQ(LNDatabaseArrayBody::FileTypeOf(7), 0x2002);
    EXPECT_EQ(LNDatabaseArrayBody::FileTypeOf(3), 2);
    EXPECT_EQ(LNDatabaseArrayBody::FileTypeOf(1), 4);
    EXPECT_EQ(LNDatabaseArrayBody::FileTypeOf(2), 5);
    EXPECT_EQ(LNDatabaseArrayBody::FileTypeOf(5), 0x2004);
}

TEST_F(DatabaseArrayTest, FlagsOutsideTheKindsAreRefused) {
    LNDatabaseArray array;
    EXPECT_EQ(session_.GetDatabases(&array, LNString(), LNString(), 4), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(session_.GetDatabases(&array, LNString(), LNString(), 8), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(session_.GetDatabases(&array, LNString(), LNString(), 0x11), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(session_.GetDatabases(nullptr, LNString(), LNString(), 5), LNERR_NULL_POINTER);
}

TEST_F(DatabaseArrayTest, AnEmptyDirectoryGivesAWarningAndNoEntries) {
    std::filesystem::create_directories(data_ + "/empty");
    LNDatabaseArray array;
    EXPECT_EQ(session_.GetDatabases(&array, LNString(), T("empty"), 5), LNWARN_NOT_FOUND);
    EXPECT_EQ(array.GetCount(), 0u);
    EXPECT_EQ(Thrown([&] { array[0]; }), LNERR_SUBSCRIPT_OUT_OF_RANGE);
    EXPECT_EQ(LNDatabaseArray().GetCount(), 0u);
    EXPECT_EQ(Thrown([] { LNDatabaseArray()[0]; }), LNERR_NOT_INITIALIZED);
}

TEST_F(DatabaseArrayTest, ScansFindDatabasesTemplatesAndSubfolders) {
    MakeFile("b.nsf");
    MakeFile("a.nsf");
    MakeFile("t.ntf");
    MakeFile("sub/c.nsf");
    std::ofstream(data_ + "/notes.txt") << "not a database";
    LNDatabaseArray array;
    ASSERT_EQ(session_.GetDatabases(&array, LNString(), LNString(), 1), LNNOERROR);
    ASSERT_EQ(array.GetCount(), 2u);
    EXPECT_STREQ(array[0].GetFilepath().GetPlatformTextPtr(), "a.nsf") << "in the order the search reports";
    EXPECT_STREQ(array[1].GetFilepath().GetPlatformTextPtr(), "b.nsf");
    ASSERT_EQ(session_.GetDatabases(&array, LNString(), LNString(), 2), LNNOERROR);
    ASSERT_EQ(array.GetCount(), 1u);
    EXPECT_STREQ(array[0].GetFilepath().GetPlatformTextPtr(), "t.ntf");
    ASSERT_EQ(session_.GetDatabases(&array, LNString(), LNString(), 7), LNNOERROR);
    EXPECT_EQ(array.GetCount(), 4u);
}

TEST_F(DatabaseArrayTest, EachEntryIsANewUnopenedDatabase) {
    MakeFile("Alpha/Acme!!apps/one.nsf");
    LNDatabaseArray array;
    ASSERT_EQ(session_.GetDatabases(&array, T("Alpha/Acme"), T("apps"), 5), LNNOERROR);
    ASSERT_EQ(array.GetCount(), 1u);
    LNDatabase first = array[0];
    LNDatabase second = array[0];
    EXPECT_NE(first.GetBody(), second.GetBody());
    EXPECT_FALSE(first.IsOpen());
    EXPECT_TRUE(first.IsRemote());
    ASSERT_EQ(first.Open(), LNNOERROR);
    EXPECT_STREQ(first.GetFileName().GetPlatformTextPtr(), "one.nsf");
}

TEST_F(DatabaseArrayTest, MissingDirectoriesAndServersAreNotesStatuses) {
    LNDatabaseArray array;
    EXPECT_EQ(session_.GetDatabases(&array, LNString(), T("absent"), 5), nnotes::ERR_NOEXIST);
    EXPECT_EQ(session_.GetDatabases(&array, T("Nowhere/Acme"), LNString(), 5), nnotes::ERR_SERVER_NOT_KNOWN);
    EXPECT_TRUE(array.IsNull());
}

} // namespace
