// The block registry: the live blocks by handle, guarded by one mutex.
#include "memory/memory.h"

#include "memory/block_registry.h"
#include "memory/memory_region.h"
#include "process/process.h"

#include <cstring>
#include <limits>
#include <mutex>

namespace nnotes {
namespace {

// The registry and the lock that guards it.
struct Registry : BlockRegistry {
    std::mutex mutex;
};

// Never destroyed, like the process state: calls may still arrive from static destructors.
Registry& TheRegistry() {
    static Registry* registry = new Registry;
    return *registry;
}

// Makes a block of size bytes, filled from bytes when given, under the registry's lock.
STATUS NewBlock(uint32_t size, const void* bytes, DHANDLE* handle) {
    if (STATUS status = RequireProcess()) return status;
    if (handle == nullptr) return ERR_MISSING_ARGUMENT;
    *handle = NULLHANDLE;
    if (size > MAXBLOCKSIZE) return ERR_BLOCK_TOO_LARGE;
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    std::byte* base = ReserveRegion(size);
    if (base == nullptr) return ERR_INSUFFICIENT_MEMORY;
    if (bytes != nullptr && size != 0) std::memcpy(base, bytes, size);
    const DHANDLE newHandle = registry.Add(Block{base, size, 0});
    if (newHandle == NULLHANDLE) {
        ReleaseRegion(base, size);
        return ERR_NO_MORE_HANDLES;
    }
    *handle = newHandle;
    return NOERROR;
}

} // namespace

STATUS AllocateBlock(uint16_t /*blockType*/, uint32_t size, DHANDLE* handle) {
    return NewBlock(size, nullptr, handle);
}

STATUS ResizeBlock(DHANDLE handle, uint32_t size) {
    if (STATUS status = RequireProcess()) return status;
    if (size > MAXBLOCKSIZE) return ERR_BLOCK_TOO_LARGE;
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    Block* block = registry.Find(handle);
    if (block == nullptr) return ERR_BAD_HANDLE;
    ResizeRegion(block->base, block->size, size);
    block->size = size;
    return NOERROR;
}

STATUS GetBlockSize(DHANDLE handle, uint32_t* size) {
    if (STATUS status = RequireProcess()) return status;
    if (size == nullptr) return ERR_MISSING_ARGUMENT;
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    const Block* block = registry.Find(handle);
    if (block == nullptr) return ERR_BAD_HANDLE;
    *size = block->size;
    return NOERROR;
}

STATUS FreeBlock(DHANDLE handle) {
    if (STATUS status = RequireProcess()) return status;
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    Block removed{};
    if (!registry.Remove(handle, removed)) return ERR_BAD_HANDLE;
    ReleaseRegion(removed.base, removed.size);
    return NOERROR;
}

bool FreeBlockIfUnlocked(DHANDLE handle) {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    const Block* block = registry.Find(handle);
    Block removed{};
    if (block == nullptr || block->locks != 0 || !registry.Remove(handle, removed)) return false;
    ReleaseRegion(removed.base, removed.size);
    return true;
}

void* LockBlock(DHANDLE handle) {
    if (RequireProcess() != NOERROR) return nullptr;
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    Block* block = registry.Find(handle);
    if (block == nullptr || block->locks == std::numeric_limits<uint32_t>::max()) return nullptr;
    ++block->locks;
    return block->base;
}

STATUS UnlockBlock(DHANDLE handle) {
    if (STATUS status = RequireProcess()) return status;
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    Block* block = registry.Find(handle);
    if (block == nullptr) return ERR_BAD_HANDLE;
    if (block->locks == 0) return ERR_BLOCK_NOT_LOCKED;
    --block->locks;
    return NOERROR;
}

std::byte* PeekBlock(DHANDLE handle, uint32_t* size) {
    if (RequireProcess() != NOERROR) return nullptr;
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    const Block* block = registry.Find(handle);
    if (block == nullptr) return nullptr;
    *size = block->size;
    return block->base;
}

STATUS CopyToNewBlock(const void* bytes, size_t size, DHANDLE* handle) {
    if (size > MAXBLOCKSIZE) return ERR_BLOCK_TOO_LARGE;
    // One step under the lock: results handed over a row at a time are made often.
    return NewBlock(static_cast<uint32_t>(size), bytes, handle);
}

void ReleaseAllBlocks() {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    registry.ForEach([](const Block& block) { ReleaseRegion(block.base, block.size); });
    registry.Clear();
}

} // namespace nnotes
