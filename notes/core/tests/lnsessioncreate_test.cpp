// Making, copying and deleting databases through the session.
#include "lnsession_fixture.h"

#include "ln/lnacl.h"
#include "ln/lncreatedboptions.h"
#include "nnotes/acl.h"
#include "nnotes/database.h"
#include "nnotes/memblock.h"
#include "nnotes/status.h"
#include "nnotes/timedate.h"

#include <dlfcn.h>

#include <filesystem>

namespace {

// Set to make the next stores of an access list fail.
int gFailingACLStores = 0;

} // namespace

// Stands in for the store's call in this test program, so that the access-list step of a creation can be
// made to fail; otherwise the store's own call does the work.
nnotes::STATUS nnotes::StoreACL(nnotes::DBHANDLE db, nnotes::DHANDLE acl) {
    if (gFailingACLStores > 0) {
        --gFailingACLStores;
        return nnotes::ERR_BAD_HANDLE;
    }
    using Store = nnotes::STATUS (*)(nnotes::DBHANDLE, nnotes::DHANDLE);
    static const auto store = reinterpret_cast<Store>(dlsym(RTLD_NEXT, "_ZN6nnotes8StoreACLEjj"));
    return store(db, acl);
}

namespace {

using CreateDatabaseTest = SessionTest;

TEST_F(CreateDatabaseTest, NewDatabasesGrantTheDomainServersManagerAccess) {
    LNCreateDatabaseOptions options;
    LNDatabase db;
    ASSERT_EQ(session_.CreateDatabase(T("new/made.nsf"), LNString(), options, &db), LNNOERROR);
    EXPECT_TRUE(db.IsOpen());
    EXPECT_FALSE(db.IsFTIndexed()) << "no index unless asked for";
    LNACL acl;
    ASSERT_EQ(db.GetACL(&acl), LNNOERROR);
    EXPECT_EQ(acl.GetAccessLevel(T("LocalDomainServers")), 6u);
    EXPECT_EQ(acl.GetAccessLevel(T("OtherDomainServers")), 6u);
    LNACLEntry entry;
    ASSERT_EQ(acl.GetEntry(T("OtherDomainServers"), &entry), LNNOERROR);
    EXPECT_TRUE(entry.IsEntryType0040());
    EXPECT_TRUE(entry.IsEntryType0002());

    EXPECT_EQ(session_.CreateDatabase(T("new/made.nsf"), LNString(), options), nnotes::ERR_DB_EXISTS);
    options.SetForce(true).SetCreateFTIndex(true);
    db.Close();
    ASSERT_EQ(session_.CreateDatabase(T("new/made.nsf"), LNString(), options, &db), LNNOERROR);
    EXPECT_TRUE(db.IsFTIndexed());
}

TEST_F(CreateDatabaseTest, ServerDatabasesAreMadeInTheServersFolder) {
    LNCreateDatabaseOptions options;
    options.SetCreateFTIndex(true);
    ASSERT_EQ(session_.CreateDatabase(T("remote.nsf"), T("Alpha/Acme"), options), LNNOERROR);
    EXPECT_TRUE(std::filesystem::exists(server_ + "/remote.nsf"));
    EXPECT_EQ(session_.CreateDatabase(T("x.nsf"), T("Nowhere/Acme"), options), nnotes::ERR_SERVER_NOT_KNOWN);
}

TEST_F(CreateDatabaseTest, CopiesRefuseAnExistingDestinationUnlessForced) {
    MakeFile("source.nsf");
    LNDatabase source = OpenDb("source.nsf");
    ASSERT_EQ(source.SetTitle(T("Original")), LNNOERROR);
    source.Close();

    LNCreateDatabaseOptions options;
    LNDatabase copy;
    EXPECT_EQ(session_.CopyDatabase(LNDatabase(), T("copy.nsf"), LNString(), options),
              LNERR_UNINITIALIZED_OBJECT);
    ASSERT_EQ(session_.CopyDatabase(source, T("copy.nsf"), LNString(), options, &copy), LNNOERROR);
    ASSERT_TRUE(copy.IsOpen());
    EXPECT_STREQ(copy.GetTitle().GetPlatformTextPtr(), "Original");
    copy.Close();
    EXPECT_EQ(session_.CopyDatabase(source, T("copy.nsf"), LNString(), options), nnotes::ERR_DB_EXISTS);
    options.SetForce(true);
    EXPECT_EQ(session_.CopyDatabase(source, T("copy.nsf"), LNString(), options), LNNOERROR);
}

TEST_F(CreateDatabaseTest, CopiesOfServerDatabasesComeFromTheServer) {
    MakeFile("Alpha/Acme!!shared.nsf");
    MakeFile("shared.nsf");
    LNDatabase remote = OpenDb("shared.nsf", "Alpha/Acme");
    ASSERT_EQ(remote.SetTitle(T("On the server")), LNNOERROR);
    LNDatabase copy;
    ASSERT_EQ(session_.CopyDatabase(remote, T("local.nsf"), LNString(), LNCreateDatabaseOptions(), &copy),
              LNNOERROR);
    EXPECT_STREQ(copy.GetTitle().GetPlatformTextPtr(), "On the server");
}

TEST_F(CreateDatabaseTest, TemplatesGiveTheirDesignAndName) {
    MakeFile("plain.ntf");
    MakeFile("std.ntf");
    LNDatabase templ = OpenDb("std.ntf");
    ASSERT_EQ(templ.SetDesignTemplateName(T("StdApp")), LNNOERROR);
    templ.Close();

    LNCreateDatabaseOptions options;
    LNDatabase made;
    EXPECT_EQ(session_.CreateDatabaseFromTemplate(T("plain.ntf"), T("p.nsf"), LNString(), options, &made),
              LNERR_NOT_TEMPLATE);
    ASSERT_EQ(session_.CreateDatabaseFromTemplate(templ, T("app.nsf"), LNString(), options, &made),
              LNNOERROR);
    EXPECT_STREQ(made.GetInheritTemplateName().GetPlatformTextPtr(), "StdApp");
    options.SetFromTemplate(false);
    ASSERT_EQ(session_.CreateDatabaseFromTemplate(T("plain.ntf"), T("p.nsf"), LNString(), options),
              LNNOERROR);
}

TEST_F(CreateDatabaseTest, DeletedDatabasesLeaveAnEmptyHandle) {
    MakeFile("gone.nsf");
    MakeFile("byname.nsf");
    LNDatabase db;
    EXPECT_EQ(session_.DeleteDatabase(nullptr), LNERR_NULL_POINTER);
    EXPECT_EQ(session_.DeleteDatabase(&db), LNERR_UNINITIALIZED_OBJECT);
    ASSERT_EQ(session_.GetDatabase(T("gone.nsf"), &db), LNNOERROR);
    ASSERT_EQ(db.Open(), LNNOERROR);
    ASSERT_EQ(session_.DeleteDatabase(&db), LNNOERROR);
    EXPECT_TRUE(db.IsNull());
    EXPECT_FALSE(std::filesystem::exists(data_ + "/gone.nsf"));
    ASSERT_EQ(session_.DeleteDatabase(T("byname.nsf")), LNNOERROR);
    EXPECT_EQ(session_.DeleteDatabase(T("byname.nsf")), nnotes::ERR_NOEXIST);
}

TEST_F(CreateDatabaseTest, OnlyDatabasesOfThisSessionAreDeleted) {
    MakeFile("foreign.nsf");
    LNDatabase foreign;
    ASSERT_EQ(foreign.Initialize(&session_, T("foreign.nsf"), LNString()), LNNOERROR);
    EXPECT_EQ(session_.DeleteDatabase(&foreign), LNERR_NULL_POINTER);
    EXPECT_TRUE(std::filesystem::exists(data_ + "/foreign.nsf"));
    EXPECT_FALSE(foreign.IsNull());
    // A second handle of a database already deleted names a body the session let go.
    MakeFile("twice.nsf");
    LNDatabase db;
    ASSERT_EQ(session_.GetDatabase(T("twice.nsf"), &db), LNNOERROR);
    LNDatabase copy = db;
    ASSERT_EQ(session_.DeleteDatabase(&db), LNNOERROR);
    MakeFile("twice.nsf");
    EXPECT_EQ(session_.DeleteDatabase(&copy), LNERR_NULL_POINTER);
    EXPECT_TRUE(std::filesystem::exists(data_ + "/twice.nsf")) << "a new file of the old name stays";
}

TEST_F(CreateDatabaseTest, AFailedAccessListLeavesNoDatabaseBehind) {
    LNCreateDatabaseOptions options;
    gFailingACLStores = 1;
    EXPECT_EQ(session_.CreateDatabase(T("half.nsf"), LNString(), options), LNERR_ACL_IN_NEW_DB);
    EXPECT_FALSE(std::filesystem::exists(data_ + "/half.nsf"));
    LNDatabase db;
    ASSERT_EQ(session_.CreateDatabase(T("half.nsf"), LNString(), options, &db), LNNOERROR)
        << "a retry is not refused as existing";
    EXPECT_TRUE(db.IsOpen());
}

TEST_F(CreateDatabaseTest, FileFiguresOfClosedLocalDatabasesOnly) {
    MakeFile("figures.nsf");
    uint32_t used = 0, unused = 0;
    ASSERT_EQ(session_.GetDatabaseFileInfo(T("figures.nsf"), &used, &unused), LNNOERROR);
    EXPECT_GT(used, 0u);
    EXPECT_EQ(session_.GetDatabaseFileInfo(LNString(), &used, nullptr), LNERR_NULL_STRING);
    LNDatabase db;
    EXPECT_EQ(session_.GetDatabaseFileInfo(db, &used, &unused), LNERR_UNINITIALIZED_OBJECT);
    ASSERT_EQ(session_.GetDatabase(T("figures.nsf"), &db), LNNOERROR);
    EXPECT_EQ(session_.GetDatabaseFileInfo(db, nullptr, &unused), LNNOERROR);
    ASSERT_EQ(db.Open(), LNNOERROR);
    EXPECT_EQ(session_.GetDatabaseFileInfo(db, &used, &unused), nnotes::ERR_DB_IN_USE);
    ASSERT_EQ(session_.GetDatabase(T("figures.nsf"), &db, T("Alpha/Acme")), LNNOERROR);
    EXPECT_EQ(session_.GetDatabaseFileInfo(db, &used, &unused), nnotes::ERR_DB_REMOTE);
}

TEST_F(CreateDatabaseTest, DatabasesAreFoundByTheirIdentifier) {
    MakeFile("sub/found.nsf");
    LNDatabase db = OpenDb("sub/found.nsf");
    nnotes::Instant id;
    ASSERT_EQ(nnotes::GetDatabaseId(db.GetHandle(), &id), nnotes::NOERROR);
    LNDatabase found;
    ASSERT_EQ(session_.GetDatabaseById(id, &found), LNNOERROR);
    EXPECT_STREQ(found.GetFilepath().GetPlatformTextPtr(), "sub/found.nsf");
    id.words[0] ^= 1;
    EXPECT_EQ(session_.GetDatabaseById(id, &found), nnotes::ERR_DB_ID_NOT_FOUND);

    MakeFile("Alpha/Acme!!apps/remote.nsf");
    ASSERT_EQ(session_.GetDatabase(T("apps/remote.nsf"), &db, T("Alpha/Acme")), LNNOERROR);
    ASSERT_EQ(db.Open(), LNNOERROR);
    ASSERT_EQ(nnotes::GetDatabaseId(db.GetHandle(), &id), nnotes::NOERROR);
    ASSERT_EQ(session_.GetDatabaseById(id, &found, T("Alpha/Acme")), LNNOERROR);
    EXPECT_STREQ(found.GetFilepath().GetPlatformTextPtr(), "apps/remote.nsf");
    EXPECT_TRUE(found.IsRemote());
}

TEST_F(CreateDatabaseTest, TheLogDatabaseWordIsCachedLocally) {
    uint16_t word = 0;
    EXPECT_EQ(session_.GetLogDatabaseWord(&word), nnotes::ERR_NOEXIST);
    MakeFile("log.nsf");
    ASSERT_EQ(session_.GetLogDatabaseWord(&word), LNNOERROR);
    EXPECT_EQ(word, 1u);
    std::filesystem::remove(data_ + "/log.nsf");
    ASSERT_EQ(session_.GetLogDatabaseWord(&word), LNNOERROR) << "a local value is asked once";
    EXPECT_EQ(session_.GetLogDatabaseWord(&word, T("Alpha/Acme")), nnotes::ERR_NOEXIST);
    EXPECT_EQ(session_.GetLogDatabaseWord(nullptr), LNERR_NULL_POINTER);
}

} // namespace
