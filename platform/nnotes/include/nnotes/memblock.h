// libnnotes memory blocks: the handles (DHANDLE) and block ids (BLOCKID) through which the library hands
// memory to its callers and takes it from them, and the operations on blocks. A block keeps one address for
// its whole life.
#pragma once

#include <cstdint>

#include "nnotes/status.h"

namespace nnotes {

// A block is reached through its handle. Handles are never reused, not even after TermProcess. A block keeps
// one address for its whole life, through every lock, unlock and resize, so an address taken by LockBlock
// stays good until FreeBlock (callers rely on this when they read after nested unlocks). For that, each block
// reserves MAXBLOCKSIZE bytes of address space; larger sizes are refused. New bytes, at allocation and when a
// block grows, are zero. Locks nest. All operations may be called from any thread.
using DHANDLE = uint32_t;
constexpr DHANDLE NULLHANDLE = 0;
constexpr uint32_t MAXBLOCKSIZE = 64u << 20;

// A block id names bytes inside a block: they lie at the pool block's address plus the offset.
struct BLOCKID {
    DHANDLE pool;
    uint16_t block;
};
constexpr BLOCKID NULLBLOCKID = {NULLHANDLE, 0};

constexpr STATUS ERR_INSUFFICIENT_MEMORY = 0x0010; // the system refused the memory
constexpr STATUS ERR_BAD_HANDLE = 0x0011; // no such block: never allocated, freed, or of an ended process
constexpr STATUS ERR_BLOCK_NOT_LOCKED = 0x0012; // UnlockBlock of a block that is not locked
constexpr STATUS ERR_BLOCK_TOO_LARGE = 0x0013;  // size above MAXBLOCKSIZE
constexpr STATUS ERR_NO_MORE_HANDLES = 0x0014;  // every 32-bit handle has been handed out

// blockType tells what the caller keeps in the block (Notes callers pass 0 or 0x4000); every block is alike
// here, so it has no effect.
STATUS AllocateBlock(uint16_t blockType, uint32_t size, DHANDLE* handle);
STATUS ResizeBlock(DHANDLE handle, uint32_t size);
STATUS GetBlockSize(DHANDLE handle, uint32_t* size);
// Frees the block even while it is locked.
STATUS FreeBlock(DHANDLE handle);
// The block's address, and one more lock on it; null (and no lock) for an unknown handle or when the
// block already holds 2^32 - 1 locks.
void* LockBlock(DHANDLE handle);
STATUS UnlockBlock(DHANDLE handle);

} // namespace nnotes
