// What the library's own areas need of the memory blocks beyond the public calls.
#pragma once

#include "nnotes.h"

#include <cstddef>

namespace nnotes {

// The bytes and size of a live block, without a lock; null for an unknown handle. For areas that keep their
// own data in blocks (text lists, ID tables) and check sizes themselves.
std::byte* PeekBlock(DHANDLE handle, uint32_t* size);

// Frees every block; run by the last TermProcess.
void ReleaseAllBlocks();

} // namespace nnotes
