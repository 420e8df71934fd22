// The access list as the store keeps it: one byte string, the same in a memory block and in a database's
// info table, read and written as a whole.
#pragma once

#include "nnotes/nnotes.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace nnotes::acl {

struct Entry {
    std::string name;
    uint16_t level = 0;
    uint16_t flags = 0;
    ACL_PRIVILEGES privileges = {};
    size_t privilegesOffset = 0; // where the privileges lie in the bytes the list was decoded from
};

struct List {
    uint32_t flags = 0;
    std::string adminServer;
    std::array<std::string, ACL_PRIVCOUNT> privilegeNames;
    std::vector<Entry> entries;
};

// A list holding only "-Default-" at level.
List DefaultList(uint16_t level);

std::string Encode(const List& list);
// ERR_ACL_DAMAGED for bytes that are not a whole list.
STATUS Decode(std::string_view bytes, List& list);

// The entry named name (null: "-Default-"), matched without regard to case; null when there is none.
Entry* FindEntry(List& list, const char* name);

// ERR_ACL_BAD_NAME unless name is a usable entry name: 1 to MAXPATH - 1 bytes, no NUL.
STATUS CheckName(std::string_view name);
// The same for a terminated name (null is refused).
STATUS CheckName(const char* name);

// A new memory block holding list; the list held in a block.
STATUS NewListBlock(const List& list, DHANDLE* handle);
STATUS ReadListBlock(DHANDLE handle, List& list);

} // namespace nnotes::acl
