#include "ln/lnacl.h"

#include "ln/lndatabase.h"
#include "ln/lnsessiontext.h"
#include "lnaclroles.h"
#include "nnotes/acl.h"
#include "nnotes/memblock.h"
#include "nnotes/settings.h"
#include "nnotes/status.h"

#include <cstring>

namespace {

bool IsDefaultName(const LNString& name) {
    return std::strcmp(LNNotesText(name), nnotes::ACL_DEFAULT_NAME) == 0;
}

// The Notes status of an update of an entry, with a missing entry reported as LNERR_NO_MATCH.
LNSTATUS UpdateStatus(nnotes::STATUS status) {
    return nnotes::ERR(status) == nnotes::ERR_ACL_NOT_FOUND ? LNERR_NO_MATCH : LNToNotesStatus(status);
}

struct Snapshot {
    nnotes::DHANDLE acl;
    std::weak_ptr<int> list;
    uint32_t minimumLevel;
    std::vector<LNACLEntry>* entries;
    std::string slots[nnotes::ACL_PRIVCOUNT];
    LNSTATUS status = LNNOERROR;
};

void TakeEntry(void* context, const char* name, uint16_t level, nnotes::ACL_PRIVILEGES* privileges,
               uint16_t flags) {
    auto* snapshot = static_cast<Snapshot*>(context);
    if (snapshot->status != LNNOERROR || name[0] == '\0' || level < snapshot->minimumLevel) return;
    try {
        LNACLEntry entry;
        entry.AssignBody(new LNACLEntryBody(snapshot->acl, LNNotesString(name), level, flags, *privileges,
                                            snapshot->slots, snapshot->list));
        snapshot->entries->push_back(entry);
    } catch (LNSTATUS status) {
        // The enumeration is the store's: nothing may be thrown through it.
        snapshot->status = status;
    }
}

} // namespace

LNACL::LNACL(const LNACL& other)
    : LNNotesClass(other), Acl(other.Acl), DefaultLevelValid(other.DefaultLevelValid),
      Database(other.Database), DefaultLevel(other.DefaultLevel), Holders(other.Holders) {}

LNACL& LNACL::operator=(const LNACL& other) {
    if (this == &other) return *this;
    Close();
    LNNotesClass::operator=(other);
    Acl = other.Acl;
    DefaultLevelValid = other.DefaultLevelValid;
    Database = other.Database;
    DefaultLevel = other.DefaultLevel;
    Holders = other.Holders;
    return *this;
}

LNACL::~LNACL() {
    Close();
}

LNSTATUS LNACL::Check() const {
    return IsOpen() ? LNNOERROR : LNReturnOrThrow(LNERR_ACL_NOT_OPEN);
}

void LNACL::Require() const {
    if (!IsOpen()) throw LNERR_ACL_NOT_OPEN;
}

LNSTATUS LNACL::Open(LNDatabase* database) {
    if (database == nullptr || database->GetDatabaseBody() == nullptr)
        return LNReturnOrThrow(LNERR_NULL_POINTER);
    LNDatabaseBody* body = database->GetDatabaseBody();
    if (!body->IsOpen()) return LNReturnOrThrow(LNERR_DATABASE_NOT_OPEN);
    Close();
    nnotes::DHANDLE acl = nnotes::NULLHANDLE;
    if (const nnotes::STATUS status = nnotes::ReadACL(body->GetHandle(), &acl))
        return LNReturnOrThrowNotesStatus(status);
    Acl = acl;
    Database = *database;
    Holders = std::make_shared<int>(1);
    return LNNOERROR;
}

// Closing a closed list does nothing: the database and the destructor both close it.
LNSTATUS LNACL::Close() {
    LNDatabaseBody* body = Database.GetDatabaseBody();
    // Another copy may still hold the list: the database watches it through AclHolders.
    if (body != nullptr && body->AclObject == this) body->AclObject = nullptr;
    DefaultLevelValid = false;
    if (Acl != nnotes::NULLHANDLE && Holders.use_count() == 1) nnotes::FreeBlock(Acl);
    Acl = nnotes::NULLHANDLE;
    Holders.reset();
    Database.ReleaseBody();
    return LNNOERROR;
}

LNSTATUS LNACL::Enumerate(uint32_t minimumLevel, LNACLEntryArray* entries) const {
    LNACLEntryArray fresh;
    Snapshot snapshot{Acl, Holders, minimumLevel, &fresh.Entries, {}};
    if (const LNSTATUS status = lnacl::ReadSlotNames(Acl, snapshot.slots)) return status;
    if (const nnotes::STATUS status = nnotes::EnumerateACL(Acl, TakeEntry, &snapshot)) return status;
    if (snapshot.status != LNNOERROR) return snapshot.status;
    *entries = fresh;
    return LNNOERROR;
}

LNSTATUS LNACL::FindEntry(const LNString& name, LNACLEntry* entry) const {
    LNACLEntryArray all;
    if (const LNSTATUS status = Enumerate(0, &all)) return status;
    for (const auto& candidate : all.Entries)
        if (std::strcmp(LNNotesText(candidate.GetName()), LNNotesText(name)) == 0) {
            *entry = candidate;
            return LNNOERROR;
        }
    return LNERR_NO_MATCH;
}

LNSTATUS LNACL::CreateEntry(const LNString& name, uint32_t level, LNACLEntry* entry) {
    if (const LNSTATUS status = Check()) return status;
    if (name.IsEmpty()) return LNReturnOrThrow(LNERR_NULL_STRING);
    if (level > nnotes::ACL_LEVEL_MANAGER) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    if (const nnotes::STATUS status =
            nnotes::AddACLEntry(Acl, LNNotesText(name), static_cast<uint16_t>(level), nullptr, 0))
        return LNReturnOrThrowNotesStatus(status);
    if (entry != nullptr && entry->IsNull()) {
        entry->AssignBody(
            new LNACLEntryBody(Acl, name, level, 0, nnotes::ACL_PRIVILEGES{}, nullptr, Holders));
    }
    return LNNOERROR;
}

LNSTATUS LNACL::CreateEntry(const LNACLEntry& from, LNACLEntry* entry) {
    if (from.IsNull()) return LNReturnOrThrow(LNERR_UNINITIALIZED_OBJECT);
    return CreateEntry(from.GetName(), from.GetAccessLevel(), entry);
}

LNSTATUS LNACL::DeleteEntry(const LNString& name) {
    if (const LNSTATUS status = Check()) return status;
    if (name.IsEmpty()) return LNReturnOrThrow(LNERR_NULL_STRING);
    if (IsDefaultName(name)) return LNWARN_NO_DELETE_DEFAULT_ENTRY;
    return LNReturnOrThrow(UpdateStatus(nnotes::DeleteACLEntry(Acl, LNNotesText(name))));
}

LNSTATUS LNACL::DeleteEntry(const LNACLEntry& entry) {
    if (entry.IsNull()) return LNReturnOrThrow(LNERR_UNINITIALIZED_OBJECT);
    return DeleteEntry(entry.GetName());
}

LNSTATUS LNACL::DeleteAllEntries() {
    LNACLEntryArray all;
    if (const LNSTATUS status = Check()) return status;
    if (const LNSTATUS status = Enumerate(0, &all)) return LNReturnOrThrow(status);
    for (const auto& entry : all.Entries)
        if (!IsDefaultName(entry.GetName()))
            if (const nnotes::STATUS status = nnotes::DeleteACLEntry(Acl, LNNotesText(entry.GetName())))
                return LNReturnOrThrowNotesStatus(status);
    return LNNOERROR;
}

LNSTATUS LNACL::GetEntry(const LNString& name, LNACLEntry* entry) {
    if (const LNSTATUS status = Check()) return status;
    if (entry == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    return LNReturnOrThrow(FindEntry(name, entry));
}

LNSTATUS LNACL::GetEntries(LNACLEntryArray* entries, uint32_t minimumLevel) {
    if (const LNSTATUS status = Check()) return status;
    if (entries == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    return LNReturnOrThrow(Enumerate(minimumLevel, entries));
}

uint32_t LNACL::GetAccessLevel(const LNString& name) {
    Require();
    LNACLEntry entry;
    if (const LNSTATUS status = FindEntry(name, &entry)) throw status;
    return entry.GetAccessLevel();
}

uint32_t LNACL::GetDefaultAccessLevel() {
    Require();
    if (DefaultLevelValid) return DefaultLevel;
    return GetAccessLevel(LNNotesString(nnotes::ACL_DEFAULT_NAME));
}

LNSTATUS LNACL::SetAccessLevel(const LNString& name, uint32_t level) {
    if (const LNSTATUS status = Check()) return status;
    if (level > nnotes::ACL_LEVEL_MANAGER) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    DefaultLevelValid = false;
    return LNReturnOrThrow(
        UpdateStatus(nnotes::UpdateACLEntry(Acl, LNNotesText(name), nnotes::ACL_UPDATE_LEVEL, nullptr,
                                            static_cast<uint16_t>(level), nullptr, 0)));
}

LNSTATUS LNACL::SetDefaultAccessLevel(uint32_t level) {
    if (const LNSTATUS status = Check()) return status;
    if (level > nnotes::ACL_LEVEL_MANAGER) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    if (const LNSTATUS status = UpdateStatus(nnotes::UpdateACLEntry(
            Acl, nullptr, nnotes::ACL_UPDATE_LEVEL, nullptr, static_cast<uint16_t>(level), nullptr, 0)))
        return LNReturnOrThrow(status);
    DefaultLevel = level;
    DefaultLevelValid = true;
    return LNNOERROR;
}

// The role is named in its stored form: a slot named as the caller wrote it would not count as a role.
LNSTATUS LNACL::CreateRole(const LNString& name) {
    if (name.IsEmpty()) return LNReturnOrThrow(LNERR_NULL_STRING);
    if (const LNSTATUS status = Check()) return status;
    if (const LNSTATUS status = lnacl::CheckRoleName(name)) return LNReturnOrThrow(status);
    std::string slots[nnotes::ACL_PRIVCOUNT];
    if (const LNSTATUS status = lnacl::ReadSlotNames(Acl, slots)) return LNReturnOrThrow(status);
    for (uint16_t slot = 5; slot < nnotes::ACL_PRIVCOUNT; ++slot)
        if (slots[slot].empty())
            return LNReturnOrThrow(
                UpdateStatus(nnotes::SetPrivilegeName(Acl, slot, lnacl::StoredRoleName(name).c_str())));
    return LNWARN_NO_ROLE_SLOT;
}

LNSTATUS LNACL::GetRoles(LNACLRoleArray* roles) {
    if (const LNSTATUS status = Check()) return status;
    if (roles == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    return LNReturnOrThrow(roles->Build(Acl, nullptr));
}

bool LNACL::RoleExists(const LNString& name) {
    Require();
    LNACLRoleArray roles;
    if (const LNSTATUS status = roles.Build(Acl, nullptr)) throw status;
    const std::string stored = lnacl::StoredRoleName(name);
    for (const auto& role : roles.Names)
        if (role == stored) return true;
    return false;
}

LNSTATUS LNACL::GetAdminServer(LNString* server) {
    if (const LNSTATUS status = Check()) return status;
    if (server == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    char name[nnotes::MAXPATH];
    if (const nnotes::STATUS status = nnotes::GetACLAdminServer(Acl, name))
        return LNReturnOrThrowNotesStatus(status);
    *server = name[0] == '\0' ? LNString() : LNNotesString(name);
    return LNNOERROR;
}

LNSTATUS LNACL::SetAdminServer(const LNString& server) {
    if (const LNSTATUS status = Check()) return status;
    if (server.IsEmpty()) return LNReturnOrThrow(LNERR_NULL_STRING);
    return LNReturnOrThrowNotesStatus(nnotes::SetACLAdminServer(Acl, LNNotesText(server)));
}

LNSTATUS LNACL::SetAdminServer() {
    if (const LNSTATUS status = Check()) return status;
    return LNReturnOrThrowNotesStatus(nnotes::SetACLAdminServer(Acl, nullptr));
}

bool LNACL::GetACLFlag() {
    Require();
    uint32_t flags = 0;
    if (const nnotes::STATUS status = nnotes::GetACLFlags(Acl, &flags)) throw LNToNotesStatus(status);
    return (flags & 1u) != 0;
}

LNSTATUS LNACL::SetACLFlag(bool flag) {
    if (const LNSTATUS status = Check()) return status;
    uint32_t flags = 0;
    nnotes::STATUS status = nnotes::GetACLFlags(Acl, &flags);
    if (status == nnotes::NOERROR) status = nnotes::SetACLFlags(Acl, flag ? flags | 1u : flags & ~1u);
    return LNReturnOrThrowNotesStatus(status);
}

LNSTATUS LNACL::Save() {
    if (const LNSTATUS status = Check()) return status;
    if (!Database.IsOpen()) return LNReturnOrThrow(LNERR_DATABASE_NOT_OPEN);
    return LNReturnOrThrowNotesStatus(nnotes::StoreACL(Database.GetHandle(), Acl));
}
