// Databases under hostile names and lifetimes: paths and server names at and past the length the store
// takes, file names of other scripts and of ill-formed bytes found by a directory scan and opened, and
// databases, arrays, access lists and their entries that outlive the session that made them.
#include "lnsession_fixture.h"

#include "ln/lnacl.h"
#include "ln/lndbarray.h"
#include "nnotes/settings.h"
#include "nnotes/status.h"

#include <string>

namespace {

using DatabaseHostileTest = SessionTest;

TEST_F(DatabaseHostileTest, NamesPastTheLimitAreRefusedWithAStatus) {
    struct Case {
        std::string path, server;
    };
    const std::string longest(nnotes::MAXPATH - 1, 'p');
    const std::string tooLong(nnotes::MAXPATH, 'p');
    const Case cases[] = {
        {tooLong, ""},
        {std::string(4000, 'p'), ""},
        {longest, "Alpha/Acme"},
        {"a.nsf", std::string(nnotes::MAXPATH, 's')},
        {std::string(200, 'p'), std::string(200, 's')},
        {std::string(nnotes::MAXPATH - 12, 'p'), "Alpha/Acme"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("path of " + std::to_string(c.path.size()) + " bytes, server of " +
                     std::to_string(c.server.size()));
        LNDatabase db;
        const LNSTATUS status = session_.GetDatabase(T(c.path.c_str()), &db, T(c.server.c_str()));
        if (status == LNNOERROR) {
            EXPECT_NE(db.Open(), LNNOERROR) << "no such file";
            EXPECT_FALSE(db.IsOpen());
        } else {
            EXPECT_TRUE(LNIsError(status));
            EXPECT_TRUE(db.IsNull());
        }
        LNDatabaseArray array;
        EXPECT_TRUE(LNIsError(session_.GetDatabases(&array, T(c.server.c_str()), T(c.path.c_str()), 5)));
        EXPECT_TRUE(LNIsError(session_.DeleteDatabase(T(c.path.c_str()), T(c.server.c_str()))));
    }
    // The longest local path the store takes still names a database.
    LNDatabase db;
    EXPECT_EQ(session_.GetDatabase(T(longest.c_str()), &db), LNNOERROR);
}

TEST_F(DatabaseHostileTest, FileNamesOfAnyBytesAreScannedAndOpened) {
    const std::string names[] = {"日本/データ.nsf", "日本/\xFF\xFE.nsf", "日本/semi;colon !.nsf"};
    for (const std::string& name : names)
        MakeFile(name);
    LNDatabaseArray array;
    ASSERT_EQ(session_.GetDatabases(&array, LNString(), T("日本"), 1), LNNOERROR);
    ASSERT_EQ(array.GetCount(), std::size(names));
    for (uint32_t i = 0; i < array.GetCount(); ++i) {
        LNDatabase db = array[i];
        const std::string path(reinterpret_cast<const char*>(db.GetFilepath().GetTextPtr()));
        SCOPED_TRACE(path);
        EXPECT_TRUE(path == names[0] || path == names[1] || path == names[2]);
        ASSERT_EQ(db.Open(), LNNOERROR);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(db.GetFileName().GetTextPtr())),
                  path.substr(path.find('/') + 1));
        EXPECT_EQ(db.Close(), LNNOERROR);
    }
}

TEST_F(DatabaseHostileTest, ObjectsOutlivingTheirSessionAnswerStatuses) {
    MakeFile("kept.nsf");
    LNDatabase db = OpenDb("kept.nsf");
    LNDatabase unopened;
    ASSERT_EQ(session_.GetDatabase(T("kept.nsf"), &unopened), LNNOERROR);
    LNACL acl;
    ASSERT_EQ(db.GetACL(&acl), LNNOERROR);
    LNACLEntry entry;
    ASSERT_EQ(acl.CreateEntry(T("Jane Doe"), 3, &entry), LNNOERROR);
    LNDatabaseArray array;
    ASSERT_EQ(session_.GetDatabases(&array, LNString(), LNString(), 1), LNNOERROR);
    ASSERT_EQ(array.GetCount(), 1u);
    // Texts made while the API runs: making them afterwards needs the API too.
    const LNString name = T("John Roe"), path = T("kept.nsf");

    EXPECT_EQ(session_.Term(), LNWARN_UNDELETED_OBJECTS) << "the handles still hold their bodies";
    EXPECT_FALSE(db.IsOpen());
    EXPECT_EQ(db.Open(), LNERR_SESSION_NOT_INITIALIZED);
    EXPECT_EQ(unopened.Open(), LNERR_SESSION_NOT_INITIALIZED);
    EXPECT_EQ(db.Close(), LNWARN_NOT_OPEN);
    EXPECT_STREQ(reinterpret_cast<const char*>(db.GetFilepath().GetTextPtr()), "kept.nsf");
    EXPECT_FALSE(acl.IsOpen());
    EXPECT_EQ(acl.CreateEntry(name, 1), LNERR_ACL_NOT_OPEN);
    EXPECT_EQ(entry.SetAccessLevel(1), LNERR_ACL_NOT_OPEN);
    EXPECT_EQ(array.GetCount(), 0u);
    EXPECT_EQ(Thrown([&] { array[0]; }), LNERR_SUBSCRIPT_OUT_OF_RANGE);
    LNDatabase another;
    EXPECT_EQ(session_.GetDatabase(path, &another), LNERR_SESSION_NOT_INITIALIZED);

    ASSERT_EQ(session_.Init(), LNNOERROR);
    db = LNDatabase();
    unopened = LNDatabase();
    acl.Close();
    entry = LNACLEntry();
    array = LNDatabaseArray();
}

} // namespace
