#include "lnaclroles.h"

#include "ln/lnacl.h"
#include "ln/lnsessiontext.h"
#include "nnotes/acl.h"
#include "nnotes/memblock.h"
#include "nnotes/status.h"

namespace lnacl {

LNSTATUS CheckRoleName(const LNString& name) {
    if (name.IsEmpty()) return LNERR_NULL_STRING;
    const char* text = LNNotesText(name);
    const char last = text[name.GetByteLength() - 1];
    return IsRoleSlot(text) || last == ']' || last == ')' ? LNERR_INVALID_ROLE_CHAR : LNNOERROR;
}

std::string StoredRoleName(const LNString& name) {
    return "[" + std::string(LNNotesText(name), name.GetByteLength()) + "]";
}

LNSTATUS ReadSlotNames(nnotes::DHANDLE acl, std::string (&names)[nnotes::ACL_PRIVCOUNT]) {
    char name[nnotes::ACL_PRIVNAMEMAX];
    for (uint16_t slot = 0; slot < nnotes::ACL_PRIVCOUNT; ++slot) {
        if (const nnotes::STATUS status = nnotes::GetPrivilegeName(acl, slot, name)) return status;
        names[slot] = name;
    }
    return LNNOERROR;
}

} // namespace lnacl

LNSTATUS LNACLRoleArray::Build(nnotes::DHANDLE acl, const nnotes::ACL_PRIVILEGES* privileges) {
    std::string slots[nnotes::ACL_PRIVCOUNT];
    if (const LNSTATUS status = lnacl::ReadSlotNames(acl, slots)) return status;
    Fill(privileges, slots);
    return LNNOERROR;
}

void LNACLRoleArray::Fill(const nnotes::ACL_PRIVILEGES* privileges, const std::string* slots) {
    Names.clear();
    for (unsigned slot = 0; slots != nullptr && slot < nnotes::ACL_PRIVCOUNT; ++slot)
        if (!slots[slot].empty() && lnacl::IsRoleSlot(slots[slot].c_str()) &&
            (privileges == nullptr || lnacl::HasPrivilege(*privileges, slot)))
            Names.push_back(slots[slot]);
}

LNString LNACLRoleArray::operator[](uint32_t index) const {
    if (index >= Names.size()) throw LNERR_SUBSCRIPT_OUT_OF_RANGE;
    return LNNotesString(Names[index].c_str());
}

LNACLEntry LNACLEntryArray::operator[](uint32_t index) const {
    if (index >= Entries.size()) throw LNERR_SUBSCRIPT_OUT_OF_RANGE;
    return Entries[index];
}

LNSTATUS LNACLEntryArray::SaveAll() {
    LNSTATUS first = LNNOERROR;
    for (auto& entry : Entries) {
        const LNSTATUS status = entry.Save();
        if (first == LNNOERROR && LNIsError(status)) first = status;
    }
    return first;
}
