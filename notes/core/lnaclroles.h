// What the access-list classes share about roles and their statuses (internal to the object core).
#pragma once

#include "ln/lnerrors.h"
#include "ln/lnstring.h"
#include "nnotes/acl.h"
#include "nnotes/memblock.h"

#include <string>

// The warnings of the access list: returned, never thrown.
constexpr LNSTATUS LNWARN_NO_DELETE_DEFAULT_ENTRY = LNWARN(101);
constexpr LNSTATUS LNWARN_NO_ROLE_SLOT = LNWARN(102);

namespace lnacl {

// Privilege slots whose name begins so hold roles.
inline bool IsRoleSlot(const char* name) {
    return name[0] == '[' || name[0] == '(';
}

// LNERR_NULL_STRING for an empty name, LNERR_INVALID_ROLE_CHAR for one that carries its own brackets, else 0.
LNSTATUS CheckRoleName(const LNString& name);

// "[" + name + "]".
std::string StoredRoleName(const LNString& name);

// The names of the list's 80 privilege slots, in slot order.
LNSTATUS ReadSlotNames(nnotes::DHANDLE acl, std::string (&names)[nnotes::ACL_PRIVCOUNT]);

inline bool HasPrivilege(const nnotes::ACL_PRIVILEGES& privileges, unsigned slot) {
    return (privileges.BitMask[slot / 8] & (1u << (slot & 7))) != 0;
}

} // namespace lnacl
