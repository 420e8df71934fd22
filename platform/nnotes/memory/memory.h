// What the library's own areas need of the memory blocks beyond the public calls.
#pragma once

#include "nnotes/nnotes.h"

#include <cstddef>

namespace nnotes {

// The bytes and size of a live block, without a lock; null for an unknown handle. For areas that keep their
// own data in blocks (text lists, ID tables) and check sizes themselves.
std::byte* PeekBlock(DHANDLE handle, uint32_t* size);

// A new block holding a copy of size bytes; the caller frees it. For results handed to callers in a block.
STATUS CopyToNewBlock(const void* bytes, size_t size, DHANDLE* handle);

// Frees the block unless it is locked; false when it is locked or unknown.
bool FreeBlockIfUnlocked(DHANDLE handle);

// Frees every block; run by the last TermProcess.
void ReleaseAllBlocks();

} // namespace nnotes
