// The block registry: one table of live blocks, guarded by one mutex.
#include "memory.h"

#include "memory_region.h"
#include "process.h"

#include <cstring>
#include <limits>
#include <mutex>
#include <unordered_map>

namespace nnotes {
namespace {

struct Block {
    std::byte* base;
    uint32_t size;
    uint32_t locks;
};

struct Registry {
    std::mutex mutex;
    std::unordered_map<DHANDLE, Block> blocks;
    DHANDLE lastHandle = NULLHANDLE;

    Block* Find(DHANDLE handle) {
        auto it = blocks.find(handle);
        return it == blocks.end() ? nullptr : &it->second;
    }
};

// Never destroyed, like the process state: calls may still arrive from static destructors.
Registry& TheRegistry() {
    static Registry* registry = new Registry;
    return *registry;
}

} // namespace

STATUS AllocateBlock(uint16_t /*blockType*/, uint32_t size, DHANDLE* handle) {
    if (STATUS status = RequireProcess()) return status;
    if (handle == nullptr) return ERR_MISSING_ARGUMENT;
    *handle = NULLHANDLE;
    if (size > MAXBLOCKSIZE) return ERR_BLOCK_TOO_LARGE;
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    if (registry.lastHandle == std::numeric_limits<DHANDLE>::max()) return ERR_NO_MORE_HANDLES;
    std::byte* base = ReserveRegion(size);
    if (base == nullptr) return ERR_INSUFFICIENT_MEMORY;
    const DHANDLE newHandle = ++registry.lastHandle;
    registry.blocks.emplace(newHandle, Block{base, size, 0});
    *handle = newHandle;
    return NOERROR;
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
    auto it = registry.blocks.find(handle);
    if (it == registry.blocks.end()) return ERR_BAD_HANDLE;
    ReleaseRegion(it->second.base, it->second.size);
    registry.blocks.erase(it);
    return NOERROR;
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
    DHANDLE h = NULLHANDLE;
    if (STATUS s = AllocateBlock(0, static_cast<uint32_t>(size), &h)) return s;
    void* p = LockBlock(h);
    if (p == nullptr) {
        FreeBlock(h);
        return ERR_BAD_HANDLE;
    }
    if (size != 0) std::memcpy(p, bytes, size);
    UnlockBlock(h);
    *handle = h;
    return NOERROR;
}

void ReleaseAllBlocks() {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    for (auto& [handle, block] : registry.blocks)
        ReleaseRegion(block.base, block.size);
    registry.blocks.clear();
}

} // namespace nnotes
