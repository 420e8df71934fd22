// libnnotes access control lists: a database's access list read into a memory block, its entries, privilege
// names, flags and administration server changed there, and the list stored back. Nothing here enforces
// access.
#pragma once

#include <cstdint>

#include "nnotes/database.h"
#include "nnotes/memblock.h"
#include "nnotes/status.h"

namespace nnotes {

// An access list is held in a memory block of its own (ReadACL, CreateACL) and changed there; StoreACL writes
// it into a database, FreeBlock drops it. A database that never had one stored reads as a list holding only
// "-Default-" at ACL_LEVEL_MANAGER: nothing here enforces access, so an unset list grants everything.
// Entry names are matched exactly, case counting; a null name stands for "-Default-". An ACL has
// ACL_PRIVCOUNT privilege slots, each with a name (at most ACL_PRIVNAMEMAX - 1 bytes); an entry's
// privileges are one bit per slot, bit (slot & 7) of byte slot / 8. Levels, entry flags and the ACL flags are
// stored as given. The same handle is used by one thread at a time.
constexpr uint16_t ACL_LEVEL_NOACCESS = 0, ACL_LEVEL_DEPOSITOR = 1, ACL_LEVEL_READER = 2,
                   ACL_LEVEL_AUTHOR = 3, ACL_LEVEL_EDITOR = 4, ACL_LEVEL_DESIGNER = 5, ACL_LEVEL_MANAGER = 6;
constexpr uint16_t ACL_PRIVCOUNT = 80;
constexpr uint16_t ACL_PRIVNAMEMAX = 32; // privilege names, with their terminator
constexpr const char* ACL_DEFAULT_NAME = "-Default-";
struct ACL_PRIVILEGES {
    uint8_t BitMask[(ACL_PRIVCOUNT + 7) / 8];
};

// UpdateACLEntry: which of the given values replace the entry's.
constexpr uint16_t ACL_UPDATE_NAME = 0x0001, ACL_UPDATE_LEVEL = 0x0002, ACL_UPDATE_PRIVILEGES = 0x0004,
                   ACL_UPDATE_FLAGS = 0x0008;

constexpr STATUS ERR_ACL_DAMAGED = 0x0A01;       // the block is no access list, or the stored list is damaged
constexpr STATUS ERR_ACL_NOT_FOUND = 0x0A02;     // no entry of that name
constexpr STATUS ERR_ACL_ENTRY_EXISTS = 0x0A03;  // an entry of that name is there already
constexpr STATUS ERR_ACL_BAD_NAME = 0x0A04;      // entry name empty or of MAXPATH bytes or more
constexpr STATUS ERR_ACL_BAD_LEVEL = 0x0A05;     // level above ACL_LEVEL_MANAGER
constexpr STATUS ERR_ACL_BAD_PRIVILEGE = 0x0A06; // slot number not below ACL_PRIVCOUNT
constexpr STATUS ERR_ACL_PRIVNAME_TOO_LONG = 0x0A07; // privilege name of ACL_PRIVNAMEMAX bytes or more
constexpr STATUS ERR_ACL_FULL = 0x0A08;              // 65535 entries already
constexpr STATUS ERR_ACL_DEFAULT_ENTRY = 0x0A09;     // "-Default-" cannot be deleted or renamed
// Not access-list statuses, kept in this range: conditions that the object layer reports itself, with a text
// here like every other status.
constexpr STATUS ERR_DB_REMOTE = 0x0A20;         // the operation works on local databases only
constexpr STATUS ERR_PORT_NOT_CONFIGURED = 2597; // the port is not in the "Ports" environment lines

// A new list holding "-Default-" at ACL_LEVEL_NOACCESS, no privilege names and flags 0.
STATUS CreateACL(DHANDLE* acl);
// A copy of the database's list in a new block.
STATUS ReadACL(DBHANDLE db, DHANDLE* acl);
// Replaces the database's list by the one in the block (in one transaction).
STATUS StoreACL(DBHANDLE db, DHANDLE acl);

// privileges may be null (none).
STATUS AddACLEntry(DHANDLE acl, const char* name, uint16_t level, const ACL_PRIVILEGES* privileges,
                   uint16_t flags);
STATUS DeleteACLEntry(DHANDLE acl, const char* name);
// Replaces what updateFlags names; the values not named are not read (and may be null).
STATUS UpdateACLEntry(DHANDLE acl, const char* name, uint16_t updateFlags, const char* newName,
                      uint16_t level, const ACL_PRIVILEGES* privileges, uint16_t flags);
// Calls back once per entry, in list order. The privileges point into the list itself: what the callback
// changes there is kept. The callback must not call the other operations of this list.
using ACLEntryCallback = void (*)(void* context, const char* name, uint16_t level, ACL_PRIVILEGES* privileges,
                                  uint16_t flags);
STATUS EnumerateACL(DHANDLE acl, ACLEntryCallback callback, void* context);

// Slot names, bounded by ACL_PRIVNAMEMAX (terminated); an unnamed slot gives "".
STATUS GetPrivilegeName(DHANDLE acl, uint16_t slot, char* name);
STATUS SetPrivilegeName(DHANDLE acl, uint16_t slot, const char* name);
STATUS GetACLFlags(DHANDLE acl, uint32_t* flags);
STATUS SetACLFlags(DHANDLE acl, uint32_t flags);
// The administration server (MAXPATH bytes; "" when none); null or "" clears it.
STATUS GetACLAdminServer(DHANDLE acl, char* server);
STATUS SetACLAdminServer(DHANDLE acl, const char* server);

} // namespace nnotes
