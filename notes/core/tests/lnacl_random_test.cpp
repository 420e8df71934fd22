// Seeded random sequences of access-list changes through the object layer, checked against a model kept in
// the test (entries in list order with their levels and roles, and the role slots), with hostile names
// among them: names that differ only in case, the longest name the list takes and one byte more, names of
// other scripts and of ill-formed bytes, a NUL inside a name. Now and then the list is saved, the database
// closed and the list read back.
#include "lnsession_fixture.h"

#include "ln/lnacl.h"
#include "nnotes/acl.h"
#include "nnotes/settings.h"

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr LNSTATUS kCannotDeleteDefault = LNWARN(101);
constexpr LNSTATUS kNoRoleSlot = LNWARN(102);

// A string of exactly these Notes bytes (a NUL among them becomes a line feed).
LNString Make(const std::string& bytes) {
    return LNString(reinterpret_cast<const LNUCHAR*>(bytes.data()), static_cast<uint32_t>(bytes.size()));
}

std::string Bytes(const LNString& s) {
    return std::string(reinterpret_cast<const char*>(s.GetTextPtr()), s.GetByteLength());
}

// What the list should hold.
struct Model {
    struct Entry {
        std::string name;
        uint32_t level;
        std::set<unsigned> slots; // the role slots whose privilege the entry holds
    };
    std::vector<Entry> entries = {{"-Default-", nnotes::ACL_LEVEL_MANAGER, {}}};
    std::vector<std::string> slots = std::vector<std::string>(nnotes::ACL_PRIVCOUNT);

    Entry* Find(const std::string& name) {
        for (auto& e : entries)
            if (e.name == name) return &e;
        return nullptr;
    }
    // The first slot that holds the role, or ACL_PRIVCOUNT.
    unsigned Slot(const std::string& role) const {
        unsigned slot = 0;
        while (slot < nnotes::ACL_PRIVCOUNT && slots[slot] != "[" + role + "]")
            ++slot;
        return slot;
    }
};

class Names {
public:
    explicit Names(uint32_t seed) : random_(seed) {}

    uint32_t Below(uint32_t n) { return std::uniform_int_distribution<uint32_t>(0, n - 1)(random_); }

    // An entry name: mostly from a small set, so that names meet again.
    std::string Entry() {
        static const std::vector<std::string> names = {
            "Jane Doe",
            "jane doe",
            "JANE DOE",
            "-Default-",
            "-default-",
            "CN=Ωmega/O=Acme",
            "日本 太郎",
            "\xFF\xFE ill-formed",
            std::string("nul\0inside", 10),
            std::string(nnotes::MAXPATH - 1, 'n'),
            std::string(nnotes::MAXPATH, 'n'),
            std::string(nnotes::MAXPATH - 3, 'x') + "日",
            "",
            "LocalDomainServers",
            " spaced ",
        };
        return names[Below(static_cast<uint32_t>(names.size()))];
    }

    // A role name as a caller gives it (plain), or a hostile one.
    std::string Role() {
        static const std::vector<std::string> roles = {
            "Admin",
            "admin",
            "Ωmega",
            "[Bracketed",
            "Closed)",
            "mid]dle",
            std::string(nnotes::ACL_PRIVNAMEMAX - 3, 'r'),
            std::string(nnotes::ACL_PRIVNAMEMAX - 2, 'r'),
            "",
        };
        return roles[Below(static_cast<uint32_t>(roles.size()))];
    }

    uint32_t Level() { return Below(9); }

private:
    std::mt19937 random_;
};

// NUL bytes in Notes text become line feeds: the name the list sees.
std::string Stored(std::string name) {
    std::replace(name.begin(), name.end(), '\0', '\n');
    return name;
}

bool BadName(const std::string& name) {
    return name.empty() || name.size() >= nnotes::MAXPATH;
}

bool BadRole(const std::string& role) {
    return !role.empty() &&
           (role.front() == '[' || role.front() == '(' || role.back() == ']' || role.back() == ')');
}

class AclRandomTest : public SessionTest {
protected:
    // A new database, and its list open in acl_.
    void OpenNew(const std::string& file) {
        acl_.Close();
        db_ = LNDatabase();
        MakeFile(file);
        ASSERT_EQ(session_.GetDatabase(T(file.c_str()), &db_), LNNOERROR);
        ASSERT_EQ(db_.Open(), LNNOERROR);
        ASSERT_EQ(db_.GetACL(&acl_), LNNOERROR);
    }
    void TearDown() override {
        acl_.Close();
        db_ = LNDatabase();
        SessionTest::TearDown();
    }

    // The list as the object layer shows it agrees with the model.
    void Check(Model& model) {
        LNACLEntryArray entries;
        ASSERT_EQ(acl_.GetEntries(&entries), LNNOERROR);
        ASSERT_EQ(entries.GetCount(), model.entries.size());
        std::vector<std::string> roles;
        for (const auto& slot : model.slots)
            if (!slot.empty()) roles.push_back(slot);
        for (uint32_t i = 0; i < entries.GetCount(); ++i) {
            const Model::Entry& expected = model.entries[i];
            const LNACLEntry entry = entries[i];
            ASSERT_EQ(Bytes(entry.GetName()), expected.name) << "entry " << i;
            ASSERT_EQ(entry.GetAccessLevel(), expected.level) << expected.name;
            LNACLRoleArray held;
            ASSERT_EQ(entry.GetRoles(&held), LNNOERROR);
            ASSERT_EQ(held.GetCount(), expected.slots.size()) << expected.name;
            uint32_t k = 0;
            for (const unsigned slot : expected.slots)
                ASSERT_EQ(Bytes(held[k++]), model.slots[slot]) << expected.name;
        }
        LNACLRoleArray all;
        ASSERT_EQ(acl_.GetRoles(&all), LNNOERROR);
        ASSERT_EQ(all.GetCount(), roles.size());
        for (uint32_t i = 0; i < all.GetCount(); ++i)
            ASSERT_EQ(Bytes(all[i]), roles[i]);
    }

    void Step(Model& model, Names& names) {
        switch (names.Below(8)) {
        case 0:
        case 1: {
            const std::string name = Stored(names.Entry());
            const uint32_t level = names.Level();
            LNSTATUS expected = LNNOERROR;
            if (name.empty())
                expected = LNERR_NULL_STRING;
            else if (level > nnotes::ACL_LEVEL_MANAGER)
                expected = LNERR_INVALID_PARAMETER;
            else if (BadName(name))
                expected = nnotes::ERR_ACL_BAD_NAME;
            else if (model.Find(name) != nullptr)
                expected = nnotes::ERR_ACL_ENTRY_EXISTS;
            ASSERT_EQ(acl_.CreateEntry(Make(name), level), expected) << "create " << name.substr(0, 40);
            if (expected == LNNOERROR) model.entries.push_back({name, level, {}});
            break;
        }
        case 2: {
            const std::string name = Stored(names.Entry());
            LNSTATUS expected = LNNOERROR;
            if (name.empty())
                expected = LNERR_NULL_STRING;
            else if (name == "-Default-")
                expected = kCannotDeleteDefault;
            else if (model.Find(name) == nullptr)
                expected = LNERR_NO_MATCH;
            ASSERT_EQ(acl_.DeleteEntry(Make(name)), expected) << "delete " << name.substr(0, 40);
            if (expected == LNNOERROR)
                std::erase_if(model.entries, [&](const Model::Entry& e) { return e.name == name; });
            break;
        }
        case 3: {
            const std::string name = Stored(names.Entry());
            const uint32_t level = names.Level();
            Model::Entry* e = model.Find(name);
            const LNSTATUS expected = level > nnotes::ACL_LEVEL_MANAGER ? LNERR_INVALID_PARAMETER
                                      : e == nullptr                    ? LNERR_NO_MATCH
                                                                        : LNNOERROR;
            ASSERT_EQ(acl_.SetAccessLevel(Make(name), level), expected) << "level of " << name.substr(0, 40);
            if (expected == LNNOERROR) e->level = level;
            break;
        }
        case 4: {
            // Renaming an entry, then changing its level through the same handle.
            if (model.entries.empty()) break;
            Model::Entry& e = model.entries[names.Below(static_cast<uint32_t>(model.entries.size()))];
            LNACLEntry entry;
            ASSERT_EQ(acl_.GetEntry(Make(e.name), &entry), LNNOERROR);
            const std::string to = Stored(names.Entry());
            const Model::Entry* other = model.Find(to);
            LNSTATUS expected = LNNOERROR;
            if (to.empty())
                expected = LNERR_NULL_STRING;
            else if (BadName(to))
                expected = nnotes::ERR_ACL_BAD_NAME;
            else if (e.name == "-Default-")
                expected = nnotes::ERR_ACL_DEFAULT_ENTRY;
            else if (other != nullptr && other != &e)
                expected = nnotes::ERR_ACL_ENTRY_EXISTS;
            ASSERT_EQ(entry.SetName(Make(to)), expected)
                << "rename " << e.name.substr(0, 40) << " to " << to.substr(0, 40);
            if (expected == LNNOERROR) e.name = to;
            // Whether the rename was taken or refused, the entry goes on under the name it has.
            const uint32_t level = names.Below(nnotes::ACL_LEVEL_MANAGER + 1);
            ASSERT_EQ(entry.SetAccessLevel(level), LNNOERROR)
                << "level after renaming " << e.name.substr(0, 40);
            ASSERT_EQ(Bytes(entry.GetName()), e.name);
            e.level = level;
            break;
        }
        case 5: {
            const std::string role = Stored(names.Role());
            LNSTATUS expected = LNNOERROR;
            unsigned slot = 5;
            while (slot < nnotes::ACL_PRIVCOUNT && !model.slots[slot].empty())
                ++slot;
            if (role.empty())
                expected = LNERR_NULL_STRING;
            else if (BadRole(role))
                expected = LNERR_INVALID_ROLE_CHAR;
            else if (slot == nnotes::ACL_PRIVCOUNT)
                expected = kNoRoleSlot;
            else if (role.size() + 2 >= nnotes::ACL_PRIVNAMEMAX)
                expected = nnotes::ERR_ACL_PRIVNAME_TOO_LONG;
            ASSERT_EQ(acl_.CreateRole(Make(role)), expected) << "role " << role;
            if (expected == LNNOERROR) model.slots[slot] = "[" + role + "]";
            ASSERT_EQ(acl_.RoleExists(Make(role)),
                      !role.empty() && model.Slot(role) != nnotes::ACL_PRIVCOUNT);
            break;
        }
        case 6: {
            // A role enabled, disabled or asked about for one entry.
            if (model.entries.empty()) break;
            Model::Entry& e = model.entries[names.Below(static_cast<uint32_t>(model.entries.size()))];
            const std::string role = Stored(names.Role());
            LNACLEntry entry;
            ASSERT_EQ(acl_.GetEntry(Make(e.name), &entry), LNNOERROR);
            const unsigned slot = model.Slot(role);
            LNSTATUS expected = LNNOERROR;
            if (role.empty())
                expected = LNERR_NULL_STRING;
            else if (BadRole(role))
                expected = LNERR_INVALID_ROLE_CHAR;
            else if (slot == nnotes::ACL_PRIVCOUNT)
                expected = LNERR_NO_MATCH;
            const uint32_t action = names.Below(3);
            if (action == 2) {
                ASSERT_EQ(Thrown([&] {
                              const bool enabled = entry.IsRoleEnabled(Make(role));
                              EXPECT_EQ(enabled, e.slots.count(slot) != 0) << role;
                          }),
                          expected)
                    << "role " << role << " of " << e.name.substr(0, 40);
                break;
            }
            const LNSTATUS status =
                action == 0 ? entry.EnableRole(Make(role)) : entry.DisableRole(Make(role));
            ASSERT_EQ(status, expected) << "role " << role << " of " << e.name.substr(0, 40);
            if (expected != LNNOERROR) break;
            if (action == 0)
                e.slots.insert(slot);
            else
                e.slots.erase(slot);
            break;
        }
        case 7: {
            if (names.Below(4) != 0) break;
            // Stored, closed with the database and read back.
            ASSERT_EQ(acl_.Save(), LNNOERROR);
            ASSERT_EQ(db_.Close(), LNNOERROR);
            ASSERT_FALSE(acl_.IsOpen());
            ASSERT_EQ(db_.Open(), LNNOERROR);
            ASSERT_EQ(db_.GetACL(&acl_), LNNOERROR);
            break;
        }
        }
    }

    LNDatabase db_;
    LNACL acl_;
};

TEST_F(AclRandomTest, SequencesOfChangesAgreeWithTheModelAcrossReopening) {
    for (const uint32_t seed : {7u, 8u, 20261210u}) {
        ASSERT_NO_FATAL_FAILURE(OpenNew("acl" + std::to_string(seed) + ".nsf"));
        Model model;
        Names names(seed);
        for (int step = 0; step < 200; ++step) {
            SCOPED_TRACE("seed " + std::to_string(seed) + " step " + std::to_string(step));
            ASSERT_NO_FATAL_FAILURE(Step(model, names));
            ASSERT_NO_FATAL_FAILURE(Check(model));
        }
    }
}

// The administration server and the role names at the lengths the list keeps and one byte past them, in
// bytes (a name of another script counts its bytes), stored and read back.
TEST_F(AclRandomTest, NamesAtTheirLimitsAreKeptOrRefusedWhole) {
    ASSERT_NO_FATAL_FAILURE(OpenNew("acllimits.nsf"));
    const std::string longest(nnotes::MAXPATH - 1, 's');
    EXPECT_EQ(acl_.SetAdminServer(Make(longest + "s")), LNSTATUS{nnotes::ERR_NETPATH_TOO_LONG});
    ASSERT_EQ(acl_.SetAdminServer(Make(longest)), LNNOERROR);
    // Roles are stored in brackets: 29 bytes fit the 31 a slot keeps, ten three-byte characters do not.
    const std::string role(nnotes::ACL_PRIVNAMEMAX - 3, 'r');
    std::string wide;
    for (int i = 0; i < 10; ++i)
        wide += "日";
    EXPECT_EQ(acl_.CreateRole(Make(role + "r")), LNSTATUS{nnotes::ERR_ACL_PRIVNAME_TOO_LONG});
    EXPECT_EQ(acl_.CreateRole(Make(wide)), LNSTATUS{nnotes::ERR_ACL_PRIVNAME_TOO_LONG});
    ASSERT_EQ(acl_.CreateRole(Make(role)), LNNOERROR);
    ASSERT_EQ(acl_.CreateRole(Make(wide.substr(0, 27))), LNNOERROR);
    ASSERT_EQ(acl_.Save(), LNNOERROR);
    ASSERT_EQ(db_.Close(), LNNOERROR);
    ASSERT_EQ(db_.Open(), LNNOERROR);
    ASSERT_EQ(db_.GetACL(&acl_), LNNOERROR);
    LNString server;
    ASSERT_EQ(acl_.GetAdminServer(&server), LNNOERROR);
    EXPECT_EQ(Bytes(server), longest);
    EXPECT_TRUE(acl_.RoleExists(Make(role)));
    EXPECT_TRUE(acl_.RoleExists(Make(wide.substr(0, 27))));
    EXPECT_FALSE(acl_.RoleExists(Make(role + "r")));
    LNACLRoleArray roles;
    ASSERT_EQ(acl_.GetRoles(&roles), LNNOERROR);
    ASSERT_EQ(roles.GetCount(), 2u);
    EXPECT_EQ(Bytes(roles[0]), "[" + role + "]");
    EXPECT_EQ(Thrown([&] { roles[2]; }), LNERR_SUBSCRIPT_OUT_OF_RANGE);
}

} // namespace
