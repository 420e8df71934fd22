// LNMemoryBlock: one Notes memory block seen as pool handle, block offset and size. Every rich-text byte is
// read, written, copied and moved through it. A block is empty, attached (a view of memory it does not own)
// or allocated (owned, freed by Free or Release). MemoryBlockLockCache keeps one pool locked across the
// reads of a whole value.
#pragma once

#include "ln/lnclass.h"
#include "nnotes/memblock.h"
#include "nnotes/status.h"

#include <cstddef>
#include <cstdint>

class LNMemoryBlock : public LNNotesClass {
public:
    LNMemoryBlock() = default;
    LNMemoryBlock(const LNMemoryBlock&) = delete;
    LNMemoryBlock& operator=(const LNMemoryBlock&) = delete;
    ~LNMemoryBlock() override { Release(); }

    LNCLASSID GetClassID() const override { return LNCLASSID_LNMEMORYBLOCK; }

    LNSTATUS Allocate(uint32_t size);
    LNSTATUS Free();
    // Drops a lock, frees an owned block and forgets the block.
    void Release();
    LNSTATUS Attach(nnotes::DHANDLE pool, uint16_t block, uint32_t size);
    // Attaches to size bytes that begin offset bytes into other.
    LNSTATUS AttachRange(const LNMemoryBlock& other, uint32_t size, uint32_t offset);
    LNSTATUS Detach() { return Attach(nnotes::NULLHANDLE, 0, 0); }

    nnotes::BLOCKID GetBlockID() const { return nnotes::BLOCKID{Pool, Block}; }
    uint32_t GetSize() const { return Size; }
    bool IsEmpty() const { return Pool == nnotes::NULLHANDLE && Block == 0; }
    bool IsLocked() const { return Locked != 0; }
    bool IsAllocatedByThisClass() const { return AllocatedByThisClass != 0; }

    // The address of byte offset, through the lock cache; Unlock releases the cache.
    uint8_t* Lock(uint32_t offset);
    void Unlock();

    LNSTATUS Read(uint32_t count, void* destination, uint32_t offset) const;
    LNSTATUS Write(uint32_t count, const void* source, uint32_t offset);
    LNSTATUS ReadStructure(uint16_t type, void* destination, uint32_t offset) const;
    LNSTATUS WriteStructure(uint16_t type, const void* source, uint32_t offset);
    // Copies the first count bytes of source (all of it for 0) to offset of this block.
    LNSTATUS CopyFrom(const LNMemoryBlock& source, uint32_t offset, uint32_t count);
    // Moves the count bytes at offset to offset + shift.
    LNSTATUS Shift(uint32_t count, uint32_t shift, uint32_t offset);
    void Swap(LNMemoryBlock& other);
    // Makes this object the owner of the block it views, so that Release frees it.
    void TakeOwnership() { AllocatedByThisClass = IsEmpty() ? 0 : 1; }

private:
    // The address of byte 0 with one more store lock on the pool (paired with Unpin); null for a bad pool.
    uint8_t* Pin() const;
    void Unpin() const;

    nnotes::DHANDLE Pool = nnotes::NULLHANDLE;
    uint16_t Block = 0;
    uint32_t Size = 0;
    uint32_t Locked = 0;
    uint32_t AllocatedByThisClass = 0;
};

namespace MemoryBlockLockCache {
// The address of block inside pool; a pool other than the cached one replaces it in the cache.
uint8_t* Lock(nnotes::DHANDLE pool, uint16_t block);
void Release();
// The handle currently held by the cache (NULLHANDLE when none).
nnotes::DHANDLE CachedHandle();
} // namespace MemoryBlockLockCache

// Host forms of on-disk values at an address that has at least their on-disk length readable.
uint16_t LNReadODSWord(const uint8_t* at);
uint32_t LNReadODSDword(const uint8_t* at);
nnotes::STATUS LNReadODSStructure(const uint8_t* at, size_t available, uint16_t type, void* destination);
