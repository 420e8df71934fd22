#include "ln/lnmemoryblock.h"

#include "ln/lnassert.h"
#include "ln/lnerrors.h"
#include "nnotes/memblock.h"
#include "nnotes/ods.h"
#include "nnotes/status.h"
#include "util/coding.h"

#include <cstring>
#include <utility>

namespace {

nnotes::DHANDLE CachedPool = nnotes::NULLHANDLE;
uint8_t* CachedAddress = nullptr;

// True when offset + count stays within size, without wrapping.
bool Fits(uint32_t offset, uint64_t count, uint32_t size) {
    return uint64_t{offset} + count <= size;
}

} // namespace

uint8_t* MemoryBlockLockCache::Lock(nnotes::DHANDLE pool, uint16_t block) {
    if (pool != CachedPool) {
        Release();
        auto* address = static_cast<uint8_t*>(nnotes::LockBlock(pool));
        if (address == nullptr) return nullptr;
        CachedPool = pool;
        CachedAddress = address;
    }
    return CachedAddress + block;
}

void MemoryBlockLockCache::Release() {
    if (CachedPool != nnotes::NULLHANDLE) nnotes::UnlockBlock(CachedPool);
    CachedPool = nnotes::NULLHANDLE;
    CachedAddress = nullptr;
}

nnotes::DHANDLE MemoryBlockLockCache::CachedHandle() {
    return CachedPool;
}

uint16_t LNReadODSWord(const uint8_t* at) {
    return util::DecodeFixed16(at);
}

uint32_t LNReadODSDword(const uint8_t* at) {
    return util::DecodeFixed32(at);
}

nnotes::STATUS LNReadODSStructure(const uint8_t* at, size_t available, uint16_t type, void* destination) {
    const void* position = at;
    return nnotes::ReadOnDiskStructure(&position, available, type, destination, 1);
}

uint8_t* LNMemoryBlock::Pin() const {
    auto* address = static_cast<uint8_t*>(nnotes::LockBlock(Pool));
    return address == nullptr ? nullptr : address + Block;
}

void LNMemoryBlock::Unpin() const {
    nnotes::UnlockBlock(Pool);
}

LNSTATUS LNMemoryBlock::Allocate(uint32_t size) {
    if (AllocatedByThisClass) return LNReturnOrThrow(LNERR_ALREADY_ALLOCATED);
    LN_ASSERT(IsEmpty(), "lnmemblk", 112);
    LN_ASSERT(!IsLocked(), "lnmemblk", 113);
    LN_ASSERT(size > 0, "lnmemblk", 114);
    nnotes::DHANDLE handle = nnotes::NULLHANDLE;
    if (const nnotes::STATUS status = nnotes::AllocateBlock(0, size, &handle))
        return LNReturnOrThrowNotesStatus(status);
    if (handle == nnotes::NULLHANDLE) throw LNERR_NO_MEMORY;
    Pool = handle;
    Block = 0;
    Size = size;
    AllocatedByThisClass = 1;
    return LNNOERROR;
}

LNSTATUS LNMemoryBlock::Free() {
    LN_ASSERT(!IsEmpty(), "lnmemblk", 140);
    LN_ASSERT(!IsLocked(), "lnmemblk", 141);
    nnotes::FreeBlock(Pool);
    AllocatedByThisClass = 0;
    Pool = nnotes::NULLHANDLE;
    Block = 0;
    Size = 0;
    return LNNOERROR;
}

void LNMemoryBlock::Release() {
    if (IsLocked()) Unlock();
    if (AllocatedByThisClass && !IsEmpty()) nnotes::FreeBlock(Pool);
    AllocatedByThisClass = 0;
    Pool = nnotes::NULLHANDLE;
    Block = 0;
    Size = 0;
}

LNSTATUS LNMemoryBlock::Attach(nnotes::DHANDLE pool, uint16_t block, uint32_t size) {
    // An owned block would be lost by pointing this object elsewhere.
    if (AllocatedByThisClass) {
        if (Size != 0) LN_ASSERT(!AllocatedByThisClass, "lnmemblk", 181);
        return LNReturnOrThrow(LNERR_CORRUPTED);
    }
    if (IsLocked()) Unlock();
    if (size > 0) {
        Pool = pool;
        Block = block;
        Size = size;
    }
    return LNNOERROR;
}

LNSTATUS LNMemoryBlock::AttachRange(const LNMemoryBlock& other, uint32_t size, uint32_t offset) {
    LN_ASSERT(Fits(offset, size, other.GetSize()), "lnmemblk", 199);
    // Block offsets are 16 bits: a range further into its pool cannot be named.
    if (uint32_t{other.Block} + offset > 0xFFFFu) return LNReturnOrThrow(LNERR_CORRUPTED);
    return Attach(other.Pool, static_cast<uint16_t>(other.Block + offset), size);
}

uint8_t* LNMemoryBlock::Lock(uint32_t offset) {
    LN_ASSERT(!IsLocked(), "lnmemblk", 215);
    uint8_t* address = MemoryBlockLockCache::Lock(Pool, Block);
    if (address == nullptr) throw LNERR_INVALID_RICHTEXT;
    Locked = 1;
    return address + offset;
}

void LNMemoryBlock::Unlock() {
    LN_ASSERT(IsLocked(), "lnmemblk", 228);
    Locked = 0;
    MemoryBlockLockCache::Release();
}

LNSTATUS LNMemoryBlock::Read(uint32_t count, void* destination, uint32_t offset) const {
    if (count == 0 || destination == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    if (!Fits(offset, count, Size)) return LNReturnOrThrow(LNERR_INVALID_RICHTEXT);
    const uint8_t* at = Pin();
    if (at == nullptr) return LNReturnOrThrow(LNERR_INVALID_RICHTEXT);
    std::memcpy(destination, at + offset, count);
    Unpin();
    return LNNOERROR;
}

LNSTATUS LNMemoryBlock::Write(uint32_t count, const void* source, uint32_t offset) {
    if (count == 0 || source == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    if (!Fits(offset, count, Size)) return LNReturnOrThrow(LNERR_CORRUPTED);
    uint8_t* at = Pin();
    if (at == nullptr) return LNReturnOrThrow(LNERR_CORRUPTED);
    std::memmove(at + offset, source, count);
    Unpin();
    return LNNOERROR;
}

LNSTATUS LNMemoryBlock::ReadStructure(uint16_t type, void* destination, uint32_t offset) const {
    if (destination == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    const uint16_t length = nnotes::ODSLength(type);
    if (length == 0) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    if (!Fits(offset, length, Size)) return LNReturnOrThrow(LNERR_INVALID_RICHTEXT);
    const uint8_t* at = Pin();
    if (at == nullptr) return LNReturnOrThrow(LNERR_INVALID_RICHTEXT);
    const nnotes::STATUS status = LNReadODSStructure(at + offset, length, type, destination);
    Unpin();
    return LNReturnOrThrowNotesStatus(status);
}

LNSTATUS LNMemoryBlock::WriteStructure(uint16_t type, const void* source, uint32_t offset) {
    if (source == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    const uint16_t length = nnotes::ODSLength(type);
    if (length == 0) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    if (!Fits(offset, length, Size)) return LNReturnOrThrow(LNERR_CORRUPTED);
    uint8_t* at = Pin();
    if (at == nullptr) return LNReturnOrThrow(LNERR_CORRUPTED);
    void* position = at + offset;
    const nnotes::STATUS status = nnotes::WriteOnDiskStructure(&position, length, type, source, 1);
    Unpin();
    return LNReturnOrThrowNotesStatus(status);
}

LNSTATUS LNMemoryBlock::CopyFrom(const LNMemoryBlock& source, uint32_t offset, uint32_t count) {
    if (count > source.GetSize()) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    const uint32_t writeSize = count == 0 ? source.GetSize() : count;
    if (!Fits(offset, writeSize, Size)) return LNReturnOrThrow(LNERR_CORRUPTED);
    if (writeSize == 0) return LNNOERROR;
    // Both pools stay locked in the store for the copy: their addresses never move.
    uint8_t* to = Pin();
    const uint8_t* from = source.Pin();
    if (to != nullptr && from != nullptr) std::memmove(to + offset, from, writeSize);
    if (from != nullptr) source.Unpin();
    if (to != nullptr) Unpin();
    return to != nullptr && from != nullptr ? LNNOERROR : LNReturnOrThrow(LNERR_CORRUPTED);
}

LNSTATUS LNMemoryBlock::Shift(uint32_t count, uint32_t shift, uint32_t offset) {
    if (count == 0 || shift == 0) return LNReturnOrThrow(LNERR_OUT_OF_RANGE);
    if (!Fits(offset, uint64_t{shift} + count, Size)) return LNReturnOrThrow(LNERR_CORRUPTED);
    uint8_t* at = Pin();
    if (at == nullptr) return LNReturnOrThrow(LNERR_CORRUPTED);
    // Overlapping runs are moved from the end so that no byte is overwritten before it moves.
    std::memmove(at + offset + shift, at + offset, count);
    Unpin();
    return LNNOERROR;
}

void LNMemoryBlock::Swap(LNMemoryBlock& other) {
    std::swap(Pool, other.Pool);
    std::swap(Block, other.Block);
    std::swap(Size, other.Size);
    std::swap(Locked, other.Locked);
    std::swap(AllocatedByThisClass, other.AllocatedByThisClass);
}
