// The object heap: every API object is allocated here (through LNNotesClass's operator new). Each block
// carries a header whose last word, right in front of the block, is the magic 9457; live blocks are kept in
// a registry that answers heap membership, and in a list, newest first, of the blocks that the end of the
// API still has to delete. Blocks are aligned for any type.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint32_t LNHEAP_MAGIC = 9457;

// A new block of size bytes, never null. A block that is still listed when LNDeleteAllObjects runs must hold
// an API object (an LNNotesClass at the block's address). Throws LNERR_ALLOCATE_DURING_DELETE_ALL while
// LNDeleteAllObjects runs and LNERR_NO_MEMORY when there is no memory, whatever ThrowAllErrors says.
void* LNNew(std::size_t size);

// Frees a block of LNNew; null does nothing. A block that LNNew did not hand out (or whose magic is damaged)
// throws LNERR_NOT_ALLOCATED_BY_LNNEW and nothing is freed.
void LNDelete(void* block);

// True for a live block of LNNew (the address that LNNew returned).
bool LNIsHeapBlock(const void* block);

// Deletes every listed block, newest first; bodies that handles still share are closed and only taken off
// the list. Returns the number of blocks visited (0 when it is already running).
uint32_t LNDeleteAllObjects();
