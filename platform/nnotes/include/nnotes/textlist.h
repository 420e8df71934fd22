// libnnotes text lists: the layout of a text list value, making and editing lists in memory blocks of their
// own, and reading lists from any memory with every length checked against the bytes available.
#pragma once

#include <cstdint>

#include "nnotes/memblock.h"
#include "nnotes/status.h"

namespace nnotes {

// A text list is [type word 1281, when prefixDataType][16-bit entry count][16-bit length of each entry][the
// entries' bytes, one after another], little-endian. A whole list, type word included, is at most 65535
// bytes; anything that would make it larger is refused. The lists made and edited here sit alone in a block
// of their own whose size is the list size; the readers work on any memory (a stored value, say) and check
// every length against the bytes available. Sizes given back are list sizes, type word included.
constexpr STATUS ERR_TEXTLIST_INDEX = 0x0030;     // no entry at that index
constexpr STATUS ERR_TEXTLIST_TOO_LARGE = 0x0031; // the list would exceed 65535 bytes or entries
constexpr STATUS ERR_TEXTLIST_DAMAGED = 0x0032; // counts or lengths run past the list's bytes, or wrong type

// A new empty list in a new block; *size (may be null) gets its size.
STATUS NewTextList(bool prefixDataType, DHANDLE* handle, uint16_t* size);
// A copy of the list at list (available bytes readable there) in a new block, with the same prefix.
STATUS CopyTextList(const void* list, uint32_t available, bool prefixDataType, DHANDLE* copy, uint16_t* size);
// Inserts length bytes of text before the entry at index; index equal to the count appends. The block keeps
// its address. text may lie in the list itself.
STATUS InsertTextListEntry(DHANDLE handle, bool prefixDataType, uint16_t index, const char* text,
                           uint16_t length, uint16_t* size);
STATUS RemoveTextListEntry(DHANDLE handle, bool prefixDataType, uint16_t index, uint16_t* size);
// Removes every entry.
STATUS ClearTextList(DHANDLE handle, bool prefixDataType, uint16_t* size);

// Points *text at the entry's bytes inside the list and sets *length; no terminator follows them.
STATUS GetTextListEntry(const void* list, uint32_t available, bool prefixDataType, uint16_t index,
                        const char** text, uint16_t* length);
STATUS CountTextListEntries(const void* list, uint32_t available, bool prefixDataType, uint16_t* count);
STATUS GetTextListSize(const void* list, uint32_t available, bool prefixDataType, uint16_t* size);

} // namespace nnotes
