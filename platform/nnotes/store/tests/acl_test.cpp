// Access lists in memory blocks and in databases.
#include "testing/store_fixture.h"

#include <sqlite3.h>

#include <string>
#include <vector>

namespace nnotes::testing {
namespace {

struct Seen {
    std::string name;
    uint16_t level;
    uint16_t flags;
    ACL_PRIVILEGES privileges;
};

std::vector<Seen> Entries(DHANDLE acl) {
    std::vector<Seen> seen;
    EXPECT_EQ(
        EnumerateACL(
            acl,
            [](void* context, const char* name, uint16_t level, ACL_PRIVILEGES* privileges, uint16_t flags) {
                static_cast<std::vector<Seen>*>(context)->push_back({name, level, flags, *privileges});
            },
            &seen),
        NOERROR);
    return seen;
}

class AclTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        ASSERT_EQ(CreateACL(&acl_), NOERROR);
    }
    void TearDown() override {
        FreeBlock(acl_);
        StoreTest::TearDown();
    }
    DHANDLE acl_ = NULLHANDLE;
};

TEST_F(AclTest, NewListHoldsOnlyTheDefaultEntryWithoutAccess) {
    const auto seen = Entries(acl_);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].name, ACL_DEFAULT_NAME);
    EXPECT_EQ(seen[0].level, ACL_LEVEL_NOACCESS);
}

TEST_F(AclTest, EntriesAreAddedChangedRenamedAndDeletedByTheirExactName) {
    ASSERT_EQ(AddACLEntry(acl_, "Jane Doe", ACL_LEVEL_EDITOR, nullptr, 0x42), NOERROR);
    EXPECT_EQ(AddACLEntry(acl_, "Jane Doe", ACL_LEVEL_READER, nullptr, 0), ERR_ACL_ENTRY_EXISTS);
    EXPECT_EQ(UpdateACLEntry(acl_, "JANE DOE", ACL_UPDATE_LEVEL, nullptr, 1, nullptr, 0), ERR_ACL_NOT_FOUND);
    EXPECT_EQ(AddACLEntry(acl_, "X", 7, nullptr, 0), ERR_ACL_BAD_LEVEL);
    EXPECT_EQ(AddACLEntry(acl_, "", 1, nullptr, 0), ERR_ACL_BAD_NAME);
    EXPECT_EQ(AddACLEntry(acl_, std::string(MAXPATH, 'a').c_str(), 1, nullptr, 0), ERR_ACL_BAD_NAME);

    ASSERT_EQ(UpdateACLEntry(acl_, "Jane Doe", ACL_UPDATE_NAME | ACL_UPDATE_LEVEL, "Jane Roe",
                             ACL_LEVEL_AUTHOR, nullptr, 0),
              NOERROR);
    auto seen = Entries(acl_);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].name, "Jane Roe");
    EXPECT_EQ(seen[1].level, ACL_LEVEL_AUTHOR);
    EXPECT_EQ(seen[1].flags, 0x42) << "flags not named in the mask are kept";

    EXPECT_EQ(UpdateACLEntry(acl_, "Nobody", ACL_UPDATE_LEVEL, nullptr, 1, nullptr, 0), ERR_ACL_NOT_FOUND);
    EXPECT_EQ(UpdateACLEntry(acl_, nullptr, ACL_UPDATE_NAME, "Other", 0, nullptr, 0), ERR_ACL_DEFAULT_ENTRY);
    EXPECT_EQ(UpdateACLEntry(acl_, nullptr, ACL_UPDATE_LEVEL, nullptr, ACL_LEVEL_READER, nullptr, 0),
              NOERROR);
    EXPECT_EQ(DeleteACLEntry(acl_, nullptr), ERR_ACL_DEFAULT_ENTRY);
    EXPECT_EQ(DeleteACLEntry(acl_, "jane roe"), ERR_ACL_NOT_FOUND);
    EXPECT_EQ(DeleteACLEntry(acl_, "Jane Roe"), NOERROR);
    EXPECT_EQ(DeleteACLEntry(acl_, "Jane Roe"), ERR_ACL_NOT_FOUND);
    seen = Entries(acl_);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].level, ACL_LEVEL_READER);
}

TEST_F(AclTest, PrivilegesChangedDuringEnumerationAreKept) {
    ASSERT_EQ(AddACLEntry(acl_, "A", 3, nullptr, 0), NOERROR);
    ASSERT_EQ(EnumerateACL(
                  acl_,
                  [](void*, const char*, uint16_t, ACL_PRIVILEGES* p, uint16_t) { p->BitMask[9] = 0x80; },
                  nullptr),
              NOERROR);
    for (const auto& e : Entries(acl_))
        EXPECT_EQ(e.privileges.BitMask[9], 0x80) << e.name;
}

TEST_F(AclTest, PrivilegeNamesFlagsAndAdminServer) {
    char name[ACL_PRIVNAMEMAX];
    ASSERT_EQ(SetPrivilegeName(acl_, 79, "[Admin]"), NOERROR);
    ASSERT_EQ(GetPrivilegeName(acl_, 79, name), NOERROR);
    EXPECT_STREQ(name, "[Admin]");
    ASSERT_EQ(GetPrivilegeName(acl_, 5, name), NOERROR);
    EXPECT_STREQ(name, "");
    EXPECT_EQ(SetPrivilegeName(acl_, 80, "x"), ERR_ACL_BAD_PRIVILEGE);
    EXPECT_EQ(SetPrivilegeName(acl_, 6, std::string(ACL_PRIVNAMEMAX, 'r').c_str()),
              ERR_ACL_PRIVNAME_TOO_LONG);

    uint32_t flags = 0;
    ASSERT_EQ(SetACLFlags(acl_, 0x80000001), NOERROR);
    ASSERT_EQ(GetACLFlags(acl_, &flags), NOERROR);
    EXPECT_EQ(flags, 0x80000001u);

    char server[MAXPATH];
    ASSERT_EQ(SetACLAdminServer(acl_, "Alpha/Acme"), NOERROR);
    ASSERT_EQ(GetACLAdminServer(acl_, server), NOERROR);
    EXPECT_STREQ(server, "Alpha/Acme");
    ASSERT_EQ(SetACLAdminServer(acl_, nullptr), NOERROR);
    ASSERT_EQ(GetACLAdminServer(acl_, server), NOERROR);
    EXPECT_STREQ(server, "");
}

TEST_F(AclTest, ListsSurviveStoringAndCopiesOfTheDatabase) {
    const DBHANDLE db = MakeDatabase("acl.nsf");
    DHANDLE read = NULLHANDLE;
    ASSERT_EQ(ReadACL(db, &read), NOERROR);
    auto seen = Entries(read);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].level, ACL_LEVEL_MANAGER) << "a database without a stored list grants everything";
    FreeBlock(read);

    ASSERT_EQ(AddACLEntry(acl_, "LocalDomainServers", 6, nullptr, 66), NOERROR);
    ASSERT_EQ(SetPrivilegeName(acl_, 5, "[Sales]"), NOERROR);
    ASSERT_EQ(StoreACL(db, acl_), NOERROR);
    ASSERT_EQ(CloseDatabase(db), NOERROR);
    ASSERT_EQ(CopyDatabase("acl.nsf", "copy.nsf", NOTE_CLASS_ALL, 0, 0, nullptr), NOERROR);

    DBHANDLE copy = 0;
    ASSERT_EQ(OpenDatabase("copy.nsf", &copy), NOERROR);
    ASSERT_EQ(ReadACL(copy, &read), NOERROR);
    seen = Entries(read);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].name, "LocalDomainServers");
    EXPECT_EQ(seen[1].flags, 66);
    char name[ACL_PRIVNAMEMAX];
    ASSERT_EQ(GetPrivilegeName(read, 5, name), NOERROR);
    EXPECT_STREQ(name, "[Sales]");
    FreeBlock(read);
    CloseDatabase(copy);
}

TEST_F(AclTest, BlocksThatAreNoListAreRefused) {
    DHANDLE other = NULLHANDLE;
    ASSERT_EQ(AllocateBlock(0, 3, &other), NOERROR);
    EXPECT_EQ(AddACLEntry(other, "A", 1, nullptr, 0), ERR_ACL_DAMAGED);
    EXPECT_EQ(StoreACL(1, other), ERR_ACL_DAMAGED);
    FreeBlock(other);
    EXPECT_EQ(DeleteACLEntry(other, "A"), ERR_BAD_HANDLE);

    // A list cut short anywhere is refused as a whole.
    ASSERT_EQ(AddACLEntry(acl_, "Someone", 2, nullptr, 0), NOERROR);
    uint32_t size = 0;
    ASSERT_EQ(GetBlockSize(acl_, &size), NOERROR);
    for (uint32_t cut = 0; cut < size; cut += 7) {
        ASSERT_EQ(ResizeBlock(acl_, cut), NOERROR);
        uint32_t flags;
        EXPECT_EQ(GetACLFlags(acl_, &flags), ERR_ACL_DAMAGED) << cut;
    }
}

TEST_F(AclTest, ADamagedStoredListIsReportedNotRead) {
    CloseDatabase(MakeDatabase("damaged.nsf"));
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open((data_ + "/damaged.nsf").c_str(), &raw), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(raw, "INSERT OR REPLACE INTO info(key, value) VALUES('acl', x'5141434c0100')",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(raw);
    DBHANDLE db = 0;
    ASSERT_EQ(OpenDatabase("damaged.nsf", &db), NOERROR);
    DHANDLE read = NULLHANDLE;
    EXPECT_EQ(ReadACL(db, &read), ERR_ACL_DAMAGED);
    EXPECT_EQ(read, NULLHANDLE);
    ASSERT_EQ(StoreACL(db, acl_), NOERROR) << "a sound list replaces the damaged one";
    ASSERT_EQ(ReadACL(db, &read), NOERROR);
    FreeBlock(read);
    CloseDatabase(db);
}

} // namespace
} // namespace nnotes::testing
