// libnnotes ID tables: the note id (NOTEID), and sets of note ids held in memory blocks, filled in any order
// and scanned in ascending order.
#pragma once

#include <cstdint>

#include "nnotes/memblock.h"
#include "nnotes/status.h"

namespace nnotes {

// An ID table is a set of note ids, given in ascending order. Its handle is a memory block that begins with
// an ODSIDTableHeader (on-disk form) whose Flags hold IDTABLE_SCAN_ONLY: the ids are read through IDScan
// only, never from the block's bytes. One table is used by one thread at a time.
using NOTEID = uint32_t; // never 0 for a stored note; never reused within a database
constexpr uint8_t IDTABLE_SCAN_ONLY = 0x80;

constexpr STATUS ERR_IDTABLE_BAD = 0x0601; // the handle's block is not an ID table, or it is damaged
constexpr STATUS ERR_IDTABLE_END = 0x0602; // IDScan went past the last id (or the table is empty)

STATUS CreateIDTable(DHANDLE* table);
// Adds id; an id that is there already is accepted and left as it is (*inserted false). inserted may be null.
// An id inserted during a scan that lies before the scan's position is not met by that scan.
STATUS InsertID(DHANDLE table, NOTEID id, bool* inserted);
// first: the smallest id; otherwise the next one after the last id this table's scan gave.
STATUS IDScan(DHANDLE table, bool first, NOTEID* id);
// The number of ids; 0 for an empty table and for a handle that is no ID table.
uint32_t IDEntries(DHANDLE table);
STATUS CopyIDTable(DHANDLE table, DHANDLE* copy);
STATUS DestroyIDTable(DHANDLE table);

} // namespace nnotes
