// Access lists through the object layer: entries, levels, flags, roles, renames and storing.
#include "lnsession_fixture.h"

#include "ln/lnacl.h"
#include "nnotes/acl.h"
#include "nnotes/settings.h"

#include <string>

namespace {

constexpr LNSTATUS kCannotDeleteDefault = LNWARN(101);
constexpr LNSTATUS kNoRoleSlot = LNWARN(102);

class AclTest : public SessionTest {
protected:
    void SetUp() override {
        SessionTest::SetUp();
        MakeFile("acl.nsf");
        ASSERT_EQ(session_.GetDatabase(T("acl.nsf"), &db_), LNNOERROR);
        ASSERT_EQ(db_.Open(), LNNOERROR);
        ASSERT_EQ(db_.GetACL(&acl_), LNNOERROR);
    }
    void TearDown() override {
        acl_.Close();
        db_ = LNDatabase();
        SessionTest::TearDown();
    }

    LNDatabase db_;
    LNACL acl_;
};

TEST(AclClosed, EveryOperationNeedsAnOpenList) {
    LNACL acl;
    EXPECT_EQ(acl.CreateEntry(LNString(), 1), LNERR_ACL_NOT_OPEN);
    EXPECT_EQ(acl.Save(), LNERR_ACL_NOT_OPEN);
    EXPECT_EQ(acl.Close(), LNNOERROR);
    EXPECT_EQ(acl.Open(nullptr), LNERR_NULL_POINTER);
    LNACLEntry entry;
    EXPECT_THROW(entry.GetName(), LNSTATUS);
}

TEST_F(AclTest, DefaultEntryCanChangeButNotGo) {
    EXPECT_EQ(acl_.GetDefaultAccessLevel(), 6u);
    EXPECT_EQ(acl_.DeleteEntry(T("-Default-")), kCannotDeleteDefault);
    ASSERT_EQ(acl_.SetDefaultAccessLevel(2), LNNOERROR);
    EXPECT_EQ(acl_.GetDefaultAccessLevel(), 2u);
    EXPECT_EQ(acl_.GetAccessLevel(T("-Default-")), 2u);
    ASSERT_EQ(acl_.DeleteAllEntries(), LNNOERROR);
    EXPECT_EQ(acl_.GetAccessLevel(T("-Default-")), 2u);
}

TEST_F(AclTest, LevelsOutsideZeroToSixAreRefused) {
    EXPECT_EQ(acl_.CreateEntry(T("A"), 7), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(acl_.CreateEntry(T("A"), static_cast<uint32_t>(-1)), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(acl_.CreateEntry(LNString(), 1), LNERR_NULL_STRING);
    EXPECT_EQ(acl_.SetDefaultAccessLevel(9), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(acl_.SetAccessLevel(T("Nobody"), 3), LNERR_NO_MATCH);
    EXPECT_EQ(Thrown([&] { acl_.GetAccessLevel(T("Nobody")); }), LNERR_NO_MATCH);
}

TEST_F(AclTest, EntriesAreListedFromAMinimumLevel) {
    for (uint32_t level = 0; level <= 6; ++level)
        ASSERT_EQ(acl_.CreateEntry(T(("L" + std::to_string(level)).c_str()), level), LNNOERROR);
    LNACLEntryArray all, high;
    EXPECT_EQ(acl_.GetEntries(nullptr), LNERR_NULL_POINTER);
    ASSERT_EQ(acl_.GetEntries(&all), LNNOERROR);
    EXPECT_EQ(all.GetCount(), 8u);
    ASSERT_EQ(acl_.GetEntries(&high, 4), LNNOERROR);
    ASSERT_EQ(high.GetCount(), 4u) << "-Default- at 6 and L4 to L6";
    for (uint32_t i = 0; i < high.GetCount(); ++i)
        EXPECT_GE(high[i].GetAccessLevel(), 4u);
    EXPECT_EQ(Thrown([&] { high[4]; }), LNERR_SUBSCRIPT_OUT_OF_RANGE);
    const LNACLEntryArray copy(high);
    EXPECT_EQ(copy[0].GetBody(), high[0].GetBody());
}

TEST_F(AclTest, EntriesAreFoundByExactName) {
    LNACLEntry made, found;
    ASSERT_EQ(acl_.CreateEntry(T("Jane Doe"), 3, &made), LNNOERROR);
    EXPECT_STREQ(made.GetName().GetPlatformTextPtr(), "Jane Doe");
    EXPECT_EQ(acl_.GetEntry(T("jane doe"), &found), LNERR_NO_MATCH);
    ASSERT_EQ(acl_.GetEntry(T("Jane Doe"), &found), LNNOERROR);
    EXPECT_EQ(found.GetAccessLevel(), 3u);
    EXPECT_EQ(acl_.CreateEntry(made), nnotes::ERR_ACL_ENTRY_EXISTS);
    ASSERT_EQ(acl_.DeleteEntry(found), LNNOERROR);
    EXPECT_EQ(acl_.DeleteEntry(T("Jane Doe")), LNERR_NO_MATCH);
    EXPECT_EQ(acl_.DeleteEntry(LNACLEntry()), LNERR_UNINITIALIZED_OBJECT);
}

TEST_F(AclTest, RenamingKeepsLevelAndFlags) {
    LNACLEntry entry;
    ASSERT_EQ(acl_.CreateEntry(T("Old Name"), 4, &entry), LNNOERROR);
    ASSERT_EQ(entry.SetEntryOption8000(true), LNNOERROR);
    ASSERT_EQ(entry.SetEntryOption0001(false), LNNOERROR);
    ASSERT_EQ(entry.SetEntryType(2), LNNOERROR);
    ASSERT_EQ(entry.SetName(T("New Name")), LNNOERROR);
    EXPECT_EQ(entry.SetName(LNString()), LNERR_NULL_STRING);
    LNACLEntry renamed;
    EXPECT_EQ(acl_.GetEntry(T("Old Name"), &renamed), LNERR_NO_MATCH);
    ASSERT_EQ(acl_.GetEntry(T("New Name"), &renamed), LNNOERROR);
    EXPECT_EQ(renamed.GetAccessLevel(), 4u);
    EXPECT_TRUE(renamed.GetEntryOption8000());
    EXPECT_FALSE(renamed.GetEntryOption0001()) << "0x0001 is set, so the option reads false";
    EXPECT_TRUE(renamed.IsEntryType0040());
    EXPECT_TRUE(renamed.GetEntryOption0004()) << "0x0004 is clear";
    EXPECT_EQ(renamed.SetEntryType(3), LNERR_INVALID_PARAMETER);
    ASSERT_EQ(renamed.SetAccessLevel(1), LNNOERROR);
    EXPECT_EQ(acl_.GetAccessLevel(T("New Name")), 1u);
    EXPECT_EQ(renamed.SetAccessLevel(8), LNERR_INVALID_PARAMETER);
}

TEST_F(AclTest, RolesTakeTheFirstFreeSlotFromFiveUp) {
    EXPECT_EQ(acl_.CreateRole(T("[Admin]")), LNERR_INVALID_ROLE_CHAR);
    EXPECT_EQ(acl_.CreateRole(T("Admin)")), LNERR_INVALID_ROLE_CHAR);
    EXPECT_EQ(acl_.CreateRole(LNString()), LNERR_NULL_STRING);
    ASSERT_EQ(acl_.CreateRole(T("Admin")), LNNOERROR);
    EXPECT_TRUE(acl_.RoleExists(T("Admin")));
    EXPECT_FALSE(acl_.RoleExists(T("Sales")));
    LNACLRoleArray roles;
    ASSERT_EQ(acl_.GetRoles(&roles), LNNOERROR);
    ASSERT_EQ(roles.GetCount(), 1u);
    EXPECT_STREQ(roles[0].GetPlatformTextPtr(), "[Admin]");
    EXPECT_EQ(Thrown([&] { roles[1]; }), LNERR_SUBSCRIPT_OUT_OF_RANGE);
}

TEST_F(AclTest, NoMoreThanSeventyFiveRoles) {
    for (int i = 5; i < 80; ++i)
        ASSERT_EQ(acl_.CreateRole(T(("R" + std::to_string(i)).c_str())), LNNOERROR) << i;
    EXPECT_EQ(acl_.CreateRole(T("OneTooMany")), kNoRoleSlot);
    LNACLRoleArray roles;
    ASSERT_EQ(acl_.GetRoles(&roles), LNNOERROR);
    EXPECT_EQ(roles.GetCount(), 75u);
}

TEST_F(AclTest, RolesAreEnabledPerEntry) {
    ASSERT_EQ(acl_.CreateRole(T("Sales")), LNNOERROR);
    ASSERT_EQ(acl_.CreateRole(T("Support")), LNNOERROR);
    LNACLEntry entry;
    ASSERT_EQ(acl_.CreateEntry(T("Jane"), 3, &entry), LNNOERROR);
    EXPECT_FALSE(entry.IsRoleEnabled(T("Sales")));
    ASSERT_EQ(entry.EnableRole(T("Support")), LNNOERROR);
    EXPECT_TRUE(entry.IsRoleEnabled(T("Support")));
    EXPECT_EQ(entry.EnableRole(T("Unknown")), LNERR_NO_MATCH);
    EXPECT_EQ(entry.EnableRole(T("[Sales]")), LNERR_INVALID_ROLE_CHAR);
    LNACLRoleArray roles;
    ASSERT_EQ(entry.GetRoles(&roles), LNNOERROR);
    ASSERT_EQ(roles.GetCount(), 1u);
    EXPECT_STREQ(roles[0].GetPlatformTextPtr(), "[Support]");

    LNACLEntry again;
    ASSERT_EQ(acl_.GetEntry(T("Jane"), &again), LNNOERROR);
    ASSERT_EQ(again.GetRoles(&roles), LNNOERROR);
    EXPECT_EQ(roles.GetCount(), 1u) << "the change went through to the list";
    ASSERT_EQ(again.DisableRole(T("Support")), LNNOERROR);
    EXPECT_FALSE(entry.IsRoleEnabled(T("Support")));
}

// A refused rename is not kept pending: the entry goes on under its name, and the next change through the
// same handle neither fails for the old rename nor retries it.
TEST_F(AclTest, ARefusedRenameLeavesTheEntryUsable) {
    LNACLEntry entry;
    ASSERT_EQ(acl_.CreateEntry(T("Jane Doe"), 4, &entry), LNNOERROR);
    ASSERT_EQ(acl_.CreateEntry(T("John Roe"), 2), LNNOERROR);
    EXPECT_EQ(entry.SetName(T("John Roe")), LNSTATUS{nnotes::ERR_ACL_ENTRY_EXISTS});
    EXPECT_EQ(entry.SetName(LNString(std::string(nnotes::MAXPATH, 'n').c_str())),
              LNSTATUS{nnotes::ERR_ACL_BAD_NAME});
    EXPECT_STREQ(entry.GetName().GetPlatformTextPtr(), "Jane Doe");
    ASSERT_EQ(entry.SetAccessLevel(5), LNNOERROR);
    ASSERT_EQ(entry.SetEntryOption8000(true), LNNOERROR);
    EXPECT_EQ(acl_.GetAccessLevel(T("Jane Doe")), 5u);
    EXPECT_EQ(acl_.GetAccessLevel(T("John Roe")), 2u);
    ASSERT_EQ(entry.SetName(T("Jane Roe")), LNNOERROR) << "a later rename still works";
    EXPECT_EQ(acl_.GetAccessLevel(T("Jane Roe")), 5u);

    LNACLEntry fallback;
    ASSERT_EQ(acl_.GetEntry(T("-Default-"), &fallback), LNNOERROR);
    EXPECT_EQ(fallback.SetName(T("Anyone")), LNSTATUS{nnotes::ERR_ACL_DEFAULT_ENTRY});
    ASSERT_EQ(fallback.SetAccessLevel(3), LNNOERROR);
    EXPECT_EQ(acl_.GetDefaultAccessLevel(), 3u);
}

TEST_F(AclTest, SavedListsSurviveReopening) {
    ASSERT_EQ(acl_.CreateEntry(T("Kept"), 5), LNNOERROR);
    ASSERT_EQ(acl_.CreateRole(T("Editors")), LNNOERROR);
    ASSERT_EQ(acl_.SetAdminServer(T("Alpha/Acme")), LNNOERROR);
    ASSERT_EQ(acl_.SetACLFlag(true), LNNOERROR);
    ASSERT_EQ(acl_.CreateEntry(T("Dropped"), 5), LNNOERROR);
    ASSERT_EQ(acl_.Save(), LNNOERROR);
    ASSERT_EQ(acl_.DeleteEntry(T("Dropped")), LNNOERROR) << "changed after the save, never stored";
    ASSERT_EQ(db_.Close(), LNNOERROR);
    EXPECT_FALSE(acl_.IsOpen());

    ASSERT_EQ(db_.Open(), LNNOERROR);
    LNACL reread;
    ASSERT_EQ(db_.GetACL(&reread), LNNOERROR);
    EXPECT_EQ(reread.GetAccessLevel(T("Kept")), 5u);
    EXPECT_EQ(reread.GetAccessLevel(T("Dropped")), 5u);
    EXPECT_TRUE(reread.RoleExists(T("Editors")));
    EXPECT_TRUE(reread.GetACLFlag());
    LNString admin;
    ASSERT_EQ(reread.GetAdminServer(&admin), LNNOERROR);
    EXPECT_STREQ(admin.GetPlatformTextPtr(), "Alpha/Acme");
    ASSERT_EQ(reread.SetAdminServer(), LNNOERROR);
    ASSERT_EQ(reread.GetAdminServer(&admin), LNNOERROR);
    EXPECT_TRUE(admin.IsEmpty());
    EXPECT_EQ(reread.SetAdminServer(LNString()), LNERR_NULL_STRING);
}

TEST_F(AclTest, CopiesShareTheListUntilTheLastCloses) {
    LNACL copy(acl_);
    ASSERT_TRUE(copy.IsOpen());
    ASSERT_EQ(copy.CreateEntry(T("Shared"), 2), LNNOERROR);
    EXPECT_EQ(acl_.GetAccessLevel(T("Shared")), 2u);
    ASSERT_EQ(acl_.Close(), LNNOERROR);
    EXPECT_EQ(copy.GetAccessLevel(T("Shared")), 2u) << "the copy still holds the list";
    LNACL assigned;
    assigned = copy;
    copy.Close();
    EXPECT_EQ(assigned.GetAccessLevel(T("Shared")), 2u);
    db_ = LNDatabase();
    EXPECT_EQ(assigned.Save(), LNNOERROR) << "the copy keeps its database";
}

} // namespace

namespace {

TEST_F(AclTest, EntriesOfAClosedListAskForItOpen) {
    LNACLEntry entry;
    ASSERT_EQ(acl_.CreateEntry(T("Jane Doe"), 4, &entry), LNNOERROR);
    LNACLEntryArray entries;
    ASSERT_EQ(acl_.GetEntries(&entries), LNNOERROR);
    acl_.Close();
    EXPECT_EQ(entry.SetAccessLevel(3), LNERR_ACL_NOT_OPEN);
    EXPECT_EQ(entries.SaveAll(), LNERR_ACL_NOT_OPEN);
    LNACLEntry listed = entries[entries.GetCount() - 1];
    EXPECT_EQ(listed.SetName(T("Other")), LNERR_ACL_NOT_OPEN);
    EXPECT_EQ(Thrown([&] { listed.IsRoleEnabled(T("Admin")); }), LNERR_ACL_NOT_OPEN);
}

TEST_F(AclTest, NamesCountTheirCaseEverywhere) {
    ASSERT_EQ(acl_.CreateEntry(T("Jane Doe"), 4), LNNOERROR);
    ASSERT_EQ(acl_.CreateEntry(T("jane doe"), 2), LNNOERROR) << "another entry";
    EXPECT_EQ(acl_.GetAccessLevel(T("Jane Doe")), 4u);
    EXPECT_EQ(acl_.GetAccessLevel(T("jane doe")), 2u);
    EXPECT_EQ(acl_.SetAccessLevel(T("JANE DOE"), 1), LNERR_NO_MATCH);
    EXPECT_EQ(acl_.DeleteEntry(T("JANE DOE")), LNERR_NO_MATCH);
    ASSERT_EQ(acl_.DeleteEntry(T("jane doe")), LNNOERROR);
    EXPECT_EQ(acl_.GetAccessLevel(T("Jane Doe")), 4u);
}

TEST_F(AclTest, CopiesAreTheDatabasesOneList) {
    LNACL copy(acl_);
    acl_.Close();
    LNACL another;
    EXPECT_EQ(db_.GetACL(&another), LNERR_ONE_ACL_ONLY) << "the copy still holds the list";
    EXPECT_TRUE(copy.IsOpen());
    copy.Close();
    ASSERT_EQ(db_.GetACL(&another), LNNOERROR);
    LNACL later(another);
    db_.Close();
    EXPECT_FALSE(later.IsOpen()) << "the database closes every copy";
    EXPECT_EQ(later.CreateEntry(T("X"), 1), LNERR_ACL_NOT_OPEN);
    ASSERT_EQ(db_.Open(), LNNOERROR);
    LNACL fresh;
    EXPECT_EQ(db_.GetACL(&fresh), LNNOERROR);
}

} // namespace
