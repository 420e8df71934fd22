#include "ln/lnacl.h"
#include "ln/lnsessiontext.h"
#include "lnaclroles.h"
#include "nnotes/acl.h"
#include "nnotes/memblock.h"
#include "nnotes/status.h"

#include <cstring>
#include <iterator>

namespace {

// The kinds of entry and the flag bit each adds.
constexpr uint16_t kKindBits[] = {0x0020, 0x0002, 0x0040};

} // namespace

// The entry's flags are kept as the list holds them: a rename rewrites them under the new name, so clearing
// any here would lose them.
LNACLEntryBody::LNACLEntryBody(nnotes::DHANDLE acl, const LNString& name, uint32_t level, uint16_t flags,
                               const nnotes::ACL_PRIVILEGES& privileges, const std::string* slots,
                               std::weak_ptr<int> list)
    : Acl(acl), List(std::move(list)), Flags(flags), AccessLevel(level), Name(name), Privileges(privileges) {
    Roles.Fill(&privileges, slots);
}

LNACLEntryBody::~LNACLEntryBody() = default;

LNSTATUS LNACLEntryBody::Require() const {
    // The list's memory goes with its last holder: an entry must not reach the store's freed block.
    const std::shared_ptr<int> list = List.lock();
    return Acl != nnotes::NULLHANDLE && list != nullptr && *list != 0 ? LNNOERROR : LNERR_ACL_NOT_OPEN;
}

const char* LNACLEntryBody::NotesName() const {
    return std::strcmp(LNNotesText(Name), nnotes::ACL_DEFAULT_NAME) == 0 ? nullptr : LNNotesText(Name);
}

LNSTATUS LNACLEntryBody::Save() {
    if (const LNSTATUS status = Require()) return status;
    if ((Pending & (kLevel | kFlags)) != 0) {
        if (const nnotes::STATUS status =
                nnotes::UpdateACLEntry(Acl, NotesName(), Pending & (kLevel | kFlags), nullptr,
                                       static_cast<uint16_t>(AccessLevel), nullptr, Flags))
            return status;
        Pending &= ~(kLevel | kFlags);
    }
    if ((Pending & kName) != 0) {
        const nnotes::STATUS renamed =
            nnotes::UpdateACLEntry(Acl, NotesName(), kName, LNNotesText(NewName), 0, nullptr, 0);
        // A refused name is dropped, not kept for the next change: it would fail that change too, though the
        // change itself was written.
        Pending &= ~kName;
        if (renamed != nnotes::NOERROR) {
            NewName = LNString();
            return renamed;
        }
        Name = NewName;
        NewName = LNString();
        if (const nnotes::STATUS status =
                nnotes::UpdateACLEntry(Acl, NotesName(), kLevel | kFlags, nullptr,
                                       static_cast<uint16_t>(AccessLevel), nullptr, Flags))
            return status;
    }
    return LNNOERROR;
}

LNSTATUS LNACLEntryBody::SetFlagBits(uint16_t set, uint16_t clear) {
    if (const LNSTATUS status = Require()) throw status;
    Flags = static_cast<uint16_t>((Flags & ~clear) | set);
    Pending |= kFlags;
    if (const LNSTATUS status = Save()) throw status;
    return LNNOERROR;
}

namespace {

struct RoleSearch {
    const char* entryName;
    unsigned slot;
    bool set;
    bool change;
    bool found = false;
    bool enabled = false;
    nnotes::ACL_PRIVILEGES privileges = {};
};

void VisitEntry(void* context, const char* name, uint16_t, nnotes::ACL_PRIVILEGES* privileges, uint16_t) {
    auto* search = static_cast<RoleSearch*>(context);
    if (search->found || std::strcmp(name, search->entryName) != 0) return;
    search->found = true;
    search->enabled = lnacl::HasPrivilege(*privileges, search->slot);
    if (search->change) {
        uint8_t& byte = privileges->BitMask[search->slot / 8];
        const auto bit = static_cast<uint8_t>(1u << (search->slot & 7));
        byte = static_cast<uint8_t>(search->set ? byte | bit : byte & ~bit);
    }
    search->privileges = *privileges;
}

} // namespace

LNSTATUS LNACLEntryBody::ChangeRole(const LNString& role, RoleAction action, bool* enabled) {
    if (const LNSTATUS status = lnacl::CheckRoleName(role)) return status;
    if (const LNSTATUS status = Require()) return status;
    const std::string stored = lnacl::StoredRoleName(role);
    std::string slots[nnotes::ACL_PRIVCOUNT];
    if (const LNSTATUS status = lnacl::ReadSlotNames(Acl, slots)) return status;
    unsigned slot = 0;
    while (slot < nnotes::ACL_PRIVCOUNT && !(lnacl::IsRoleSlot(slots[slot].c_str()) && slots[slot] == stored))
        ++slot;
    if (slot == nnotes::ACL_PRIVCOUNT) return LNERR_NO_MATCH;
    RoleSearch search{LNNotesText(Name), slot, action == RoleAction::Enable, action != RoleAction::Query};
    if (const nnotes::STATUS status = nnotes::EnumerateACL(Acl, VisitEntry, &search)) return status;
    if (!search.found) return LNERR_NO_MATCH;
    if (enabled != nullptr) *enabled = search.enabled;
    Privileges = search.privileges;
    Roles.Fill(&Privileges, slots);
    return LNNOERROR;
}

LNACLEntry& LNACLEntry::AssignBody(LNACLEntryBody* body) {
    LNSmartPtr::AssignBody(body);
    return *this;
}

LNACLEntryBody* LNACLEntry::Body() const {
    auto* body = static_cast<LNACLEntryBody*>(GetBody());
    if (body == nullptr) throw LNERR_NOT_INITIALIZED;
    if (const LNSTATUS status = body->Require()) throw status;
    return body;
}

LNSTATUS LNACLEntry::Checked(LNACLEntryBody** body) const {
    *body = static_cast<LNACLEntryBody*>(GetBody());
    if (*body == nullptr) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return LNReturnOrThrow((*body)->Require());
}

LNString LNACLEntry::GetName() const {
    return Body()->Name;
}

uint32_t LNACLEntry::GetAccessLevel() const {
    return Body()->AccessLevel;
}

LNSTATUS LNACLEntry::SetName(const LNString& name) {
    LNACLEntryBody* body = nullptr;
    if (const LNSTATUS status = Checked(&body)) return status;
    if (name.IsEmpty()) return LNReturnOrThrow(LNERR_NULL_STRING);
    body->NewName = name;
    body->Pending |= LNACLEntryBody::kName;
    return LNReturnOrThrow(body->Save());
}

LNSTATUS LNACLEntry::SetAccessLevel(uint32_t level) {
    LNACLEntryBody* body = nullptr;
    if (const LNSTATUS status = Checked(&body)) return status;
    if (level > nnotes::ACL_LEVEL_MANAGER) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    body->AccessLevel = level;
    body->Pending |= LNACLEntryBody::kLevel;
    return LNReturnOrThrow(body->Save());
}

bool LNACLEntry::Flag(uint16_t bit) const {
    return (Body()->Flags & bit) != 0;
}

LNSTATUS LNACLEntry::SetFlag(uint16_t bit, bool set) {
    LNACLEntryBody* body = nullptr;
    if (const LNSTATUS status = Checked(&body)) return status;
    return set ? body->SetFlagBits(bit, 0) : body->SetFlagBits(0, bit);
}

// Options 0x0001 and 0x0004 are true while their bit is clear.
bool LNACLEntry::GetEntryOption8000() const {
    return Flag(0x8000);
}
bool LNACLEntry::GetEntryOption0001() const {
    return !Flag(0x0001);
}
bool LNACLEntry::GetEntryOption0100() const {
    return Flag(0x0100);
}
bool LNACLEntry::GetEntryOption0008() const {
    return Flag(0x0008);
}
bool LNACLEntry::GetEntryOption0010() const {
    return Flag(0x0010);
}
bool LNACLEntry::GetEntryOption0080() const {
    return Flag(0x0080);
}
bool LNACLEntry::GetEntryOption0004() const {
    return !Flag(0x0004);
}
LNSTATUS LNACLEntry::SetEntryOption8000(bool flag) {
    return SetFlag(0x8000, flag);
}
LNSTATUS LNACLEntry::SetEntryOption0001(bool flag) {
    return SetFlag(0x0001, !flag);
}
LNSTATUS LNACLEntry::SetEntryOption0100(bool flag) {
    return SetFlag(0x0100, flag);
}
LNSTATUS LNACLEntry::SetEntryOption0008(bool flag) {
    return SetFlag(0x0008, flag);
}
LNSTATUS LNACLEntry::SetEntryOption0010(bool flag) {
    return SetFlag(0x0010, flag);
}
LNSTATUS LNACLEntry::SetEntryOption0080(bool flag) {
    return SetFlag(0x0080, flag);
}
LNSTATUS LNACLEntry::SetEntryOption0004(bool flag) {
    return SetFlag(0x0004, !flag);
}

bool LNACLEntry::IsEntryType0040() const {
    return Flag(0x0040);
}
bool LNACLEntry::IsEntryType0020() const {
    return Flag(0x0020);
}
bool LNACLEntry::IsEntryType0002() const {
    return Flag(0x0002);
}

uint32_t LNACLEntry::GetEntryType() const {
    return Body()->EntryType;
}

LNSTATUS LNACLEntry::SetEntryType(uint32_t type) {
    LNACLEntryBody* body = nullptr;
    if (const LNSTATUS status = Checked(&body)) return status;
    if (type >= std::size(kKindBits)) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    body->SetFlagBits(kKindBits[type], 0);
    body->EntryType = type;
    return LNNOERROR;
}

LNSTATUS LNACLEntry::GetRoles(LNACLRoleArray* roles) const {
    LNACLEntryBody* body = nullptr;
    if (const LNSTATUS status = Checked(&body)) return status;
    if (roles == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    *roles = body->Roles;
    return LNNOERROR;
}

bool LNACLEntry::IsRoleEnabled(const LNString& role) const {
    bool enabled = false;
    if (const LNSTATUS status = Body()->ChangeRole(role, LNACLEntryBody::RoleAction::Query, &enabled))
        throw status;
    return enabled;
}

LNSTATUS LNACLEntry::EnableRole(const LNString& role) {
    LNACLEntryBody* body = nullptr;
    if (const LNSTATUS status = Checked(&body)) return status;
    return LNReturnOrThrow(body->ChangeRole(role, LNACLEntryBody::RoleAction::Enable, nullptr));
}

LNSTATUS LNACLEntry::DisableRole(const LNString& role) {
    LNACLEntryBody* body = nullptr;
    if (const LNSTATUS status = Checked(&body)) return status;
    return LNReturnOrThrow(body->ChangeRole(role, LNACLEntryBody::RoleAction::Disable, nullptr));
}

LNSTATUS LNACLEntry::Save() {
    LNACLEntryBody* body = nullptr;
    if (const LNSTATUS status = Checked(&body)) return status;
    return LNReturnOrThrow(body->Save());
}
