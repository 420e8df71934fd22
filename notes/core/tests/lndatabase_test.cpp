// Naming, opening and closing databases, local and on a server; their names, information fields, options,
// full-text index and access list.
#include "lnsession_fixture.h"

#include "ln/lnacl.h"
#include "ln/lnftsearch.h"
#include "nnotes/database.h"
#include "nnotes/note.h"
#include "nnotes/status.h"

#include <filesystem>

namespace {

using DatabaseTest = SessionTest;

TEST_F(DatabaseTest, NamedDatabasesNeedOpeningForTheirContents) {
    MakeFile("sub/names.nsf");
    LNDatabase db;
    ASSERT_EQ(session_.GetDatabase(T("sub/names.nsf"), &db), LNNOERROR);
    EXPECT_STREQ(db.GetFilepath().GetPlatformTextPtr(), "sub/names.nsf");
    EXPECT_STREQ(db.GetServer().GetPlatformTextPtr(), "");
    EXPECT_FALSE(db.IsRemote());
    EXPECT_EQ(Thrown([&] { db.GetTitle(); }), LNERR_DATABASE_NOT_OPEN);
    EXPECT_EQ(Thrown([&] { db.GetFileName(); }), LNERR_DATABASE_NOT_OPEN);
    EXPECT_EQ(db.SetTitle(T("x")), LNERR_DATABASE_NOT_OPEN);

    ASSERT_EQ(db.Open(), LNNOERROR);
    EXPECT_EQ(db.Open(), LNWARN_ALREADY_OPEN);
    EXPECT_STREQ(db.GetFileName().GetPlatformTextPtr(), "names.nsf");
    EXPECT_EQ(db.Close(), LNNOERROR);
    EXPECT_EQ(db.Close(), LNWARN_NOT_OPEN);
    EXPECT_EQ(db.Open(), LNNOERROR) << "a closed database opens again";
}

TEST_F(DatabaseTest, EmptyHandlesAnswerNotInitialized) {
    LNDatabase db;
    EXPECT_FALSE(db.IsOpen());
    EXPECT_EQ(db.Close(), LNWARN_NOT_OPEN);
    EXPECT_EQ(db.Open(), LNERR_NOT_INITIALIZED);
    EXPECT_EQ(db.SetTitle(T("x")), LNERR_NOT_INITIALIZED);
    EXPECT_EQ(Thrown([&] { db.GetFilepath(); }), LNERR_NOT_INITIALIZED);
    EXPECT_EQ(Thrown([&] { db.IsRemote(); }), LNERR_NOT_INITIALIZED);
}

TEST_F(DatabaseTest, MissingFilesAndUnknownServersAreNotesStatuses) {
    LNDatabase db;
    EXPECT_EQ(session_.GetDatabase(LNString(), &db), LNERR_INVALID_DB_PATH);
    EXPECT_EQ(session_.GetDatabase(T("x.nsf"), nullptr), LNERR_NULL_POINTER);
    ASSERT_EQ(session_.GetDatabase(T("missing.nsf"), &db), LNNOERROR);
    EXPECT_EQ(db.Open(), nnotes::ERR_NOEXIST);
    ASSERT_EQ(session_.GetDatabase(T("x.nsf"), &db, T("Nowhere/Acme")), LNNOERROR);
    EXPECT_EQ(db.Open(), nnotes::ERR_SERVER_NOT_KNOWN);
    LNSetThrowAllErrors(true);
    EXPECT_EQ(Thrown([&] { db.Open(); }), nnotes::ERR_SERVER_NOT_KNOWN);
}

TEST_F(DatabaseTest, ServerDatabasesLieInTheServersFolder) {
    MakeFile("Alpha/Acme!!mail/jdoe.nsf");
    LNDatabase db = OpenDb("mail/jdoe.nsf", "CN=Alpha/O=Acme");
    EXPECT_TRUE(db.IsRemote());
    EXPECT_STREQ(db.GetServer().GetPlatformTextPtr(), "CN=Alpha/O=Acme");
    EXPECT_STREQ(db.GetFileName().GetPlatformTextPtr(), "jdoe.nsf");
    EXPECT_TRUE(std::filesystem::exists(server_ + "/mail/jdoe.nsf"));
}

TEST_F(DatabaseTest, OpenOptionsComeFromTheCallerOrTheSession) {
    MakeFile("a.nsf");
    LNDatabase db;
    ASSERT_EQ(session_.GetDatabase(T("a.nsf"), &db), LNNOERROR);
    EXPECT_EQ(Thrown([&] { db.UsesUpdateFlag4(); }), LNERR_DATABASE_NOT_OPEN);
    ASSERT_EQ(db.Open(LNDBOPENOPTION_UPDATE_FLAG4), LNNOERROR);
    EXPECT_TRUE(db.UsesUpdateFlag4());
    db.Close();
    ASSERT_EQ(session_.SetDefaultOpenOptions(LNDBOPENOPTION_UPDATE_FLAG4 | 3), LNNOERROR);
    ASSERT_EQ(db.Open(), LNNOERROR);
    EXPECT_TRUE(db.UsesUpdateFlag4());
    EXPECT_EQ(db.GetOpenOptions(), LNDBOPENOPTION_UPDATE_FLAG4 | 3);
    db.Close();
    ASSERT_EQ(db.Open(0), LNNOERROR);
    EXPECT_FALSE(db.UsesUpdateFlag4());
}

TEST_F(DatabaseTest, FileNamesAreWhatFollowsTheLastSeparator) {
    for (const auto& [path, name] : {std::pair{"plain.nsf", "plain.nsf"}, {"a/b/deep.nsf", "deep.nsf"}}) {
        MakeFile(path);
        LNDatabase db;
        ASSERT_EQ(session_.GetDatabase(T(path), &db), LNNOERROR);
        ASSERT_EQ(db.Open(), LNNOERROR);
        EXPECT_STREQ(db.GetFileName().GetPlatformTextPtr(), name) << path;
    }
}

TEST_F(DatabaseTest, InformationFieldsRoundTrip) {
    MakeFile("info.nsf");
    LNDatabase db = OpenDb("info.nsf");
    EXPECT_STREQ(db.GetTitle().GetPlatformTextPtr(), "");
    ASSERT_EQ(db.SetTitle(T("Customers")), LNNOERROR);
    ASSERT_EQ(db.SetDesignTemplateName(T("StdCustomers")), LNNOERROR);
    ASSERT_EQ(db.SetInheritTemplateName(T("Base")), LNNOERROR);
    EXPECT_STREQ(db.GetTitle().GetPlatformTextPtr(), "Customers");
    EXPECT_STREQ(db.GetDesignTemplateName().GetPlatformTextPtr(), "StdCustomers");
    EXPECT_STREQ(db.GetInheritTemplateName().GetPlatformTextPtr(), "Base");
    EXPECT_EQ(db.SetTitle(T(std::string(200, 't').c_str())), nnotes::ERR_DB_INFO_TOO_LONG);
    EXPECT_STREQ(db.GetTitle().GetPlatformTextPtr(), "Customers") << "a refused title leaves the old one";

    EXPECT_FALSE(db.HasTitleItem());
    ASSERT_EQ(db.SetTitleItem(true), LNNOERROR);
    EXPECT_TRUE(db.HasTitleItem());
    ASSERT_EQ(db.SetTitleItem(false), LNNOERROR);
    EXPECT_FALSE(db.HasTitleItem());
    EXPECT_GT(db.GetSize(), 0u);
    EXPECT_GT(db.GetPercentUsed(), 0.0);
    EXPECT_LE(db.GetPercentUsed(), 100.0);
    EXPECT_EQ(db.GetInfoWord(), 1u);
}

TEST_F(DatabaseTest, OptionBitsAreSetAndReadOneByOne) {
    MakeFile("opt.nsf");
    LNDatabase db = OpenDb("opt.nsf");
    EXPECT_FALSE(db.GetOption0004());
    EXPECT_TRUE(db.GetOption0040()) << "0x0040 reads TRUE while its bit is clear";
    ASSERT_EQ(db.SetOption0004(true), LNNOERROR);
    ASSERT_EQ(db.SetOption0040(true), LNNOERROR);
    EXPECT_FALSE(db.GetOption0040()) << "its setter sets the bit that its getter reads inverted";
    ASSERT_EQ(db.SetOption0040(false), LNNOERROR);
    ASSERT_EQ(db.SetOption0400(false), LNNOERROR);
    ASSERT_EQ(db.SetOptionFieldC000(0x8000), LNNOERROR);
    uint32_t first = 0, second = 0;
    db.GetOptions(&first, &second);
    EXPECT_EQ(first, 0x0004u | 0x0400u | 0x8000u);
    EXPECT_TRUE(db.GetOption0004());
    EXPECT_FALSE(db.GetOption0400());
    EXPECT_EQ(db.GetOptionFieldC000(), 0x8000u);
    ASSERT_EQ(db.SetOptionBit200(true), LNNOERROR);
    EXPECT_TRUE(db.GetOption0200());
    ASSERT_EQ(db.SetOptions(0), LNNOERROR);
    EXPECT_FALSE(db.GetOption0200());
    EXPECT_FALSE(db.GetQueryFlag0200());
}

TEST_F(DatabaseTest, DesignLookupsByName) {
    MakeFile("design.nsf");
    LNDatabase db;
    ASSERT_EQ(session_.GetDatabase(T("design.nsf"), &db), LNNOERROR);
    EXPECT_EQ(Thrown([&] { db.FormExists(T("Memo")); }), LNERR_DATABASE_NOT_OPEN);
    ASSERT_EQ(db.Open(), LNNOERROR);
    EXPECT_FALSE(db.FormExists(LNString()));
    EXPECT_FALSE(db.ViewFolderExists(T("All")));
    EXPECT_EQ(db.DeleteForm(LNString()), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(db.DeleteAgent(T("Nightly")), nnotes::ERR_NOTE_NOT_FOUND);
}

TEST_F(DatabaseTest, FullTextIndexLifetime) {
    MakeFile("ft.nsf");
    LNDatabase db = OpenDb("ft.nsf");
    EXPECT_FALSE(db.IsFTIndexed());
    uint16_t options = 0;
    EXPECT_EQ(db.GetFTIndexOptions(&options), nnotes::ERR_FT_NOT_INDEXED);
    LNFTIndexStatistics stats;
    ASSERT_EQ(db.CreateFTIndex(2, LNString(), &stats), LNNOERROR);
    EXPECT_TRUE(db.IsFTIndexed());
    ASSERT_EQ(db.GetFTIndexOptions(&options), LNNOERROR);
    EXPECT_EQ(options, 2u);
    ASSERT_EQ(db.UpdateFTIndex(), LNNOERROR);
    ASSERT_EQ(db.GetFTIndexOptions(&options), LNNOERROR);
    EXPECT_EQ(options, 256u);
    ASSERT_EQ(db.DeleteFTIndex(), LNNOERROR);
    EXPECT_FALSE(db.IsFTIndexed());
}

TEST_F(DatabaseTest, OneAccessListPerDatabaseClosedWithIt) {
    MakeFile("acl.nsf");
    LNDatabase db;
    ASSERT_EQ(session_.GetDatabase(T("acl.nsf"), &db), LNNOERROR);
    LNACL acl, second;
    EXPECT_EQ(db.GetACL(&acl), LNERR_DATABASE_NOT_OPEN);
    ASSERT_EQ(db.Open(), LNNOERROR);
    EXPECT_EQ(db.GetACL(nullptr), LNERR_INVALID_PARAMETER);
    ASSERT_EQ(db.GetACL(&acl), LNNOERROR);
    EXPECT_EQ(db.GetACL(&second), LNERR_ONE_ACL_ONLY);
    EXPECT_TRUE(acl.IsOpen());
    ASSERT_EQ(db.Close(), LNNOERROR);
    EXPECT_FALSE(acl.IsOpen());
    ASSERT_EQ(db.Open(), LNNOERROR);
    EXPECT_EQ(db.GetACL(&second), LNNOERROR) << "closing the database gave the list up";
}

} // namespace
