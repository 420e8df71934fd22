// The block registry: the live blocks by handle, guarded by one mutex.
#include "memory/memory.h"

#include "memory/memory_region.h"
#include "process/process.h"

#include <cstring>
#include <deque>
#include <limits>
#include <mutex>
#include <optional>
#include <unordered_map>

namespace nnotes {
namespace {

struct Block {
    std::byte* base;
    uint32_t size;
    uint32_t locks;
};

// Live blocks by handle. Handles are handed out in order and most blocks live briefly, so the recent ones
// sit in a window indexed from its first handle; the few that outlive the window move to a table.
struct Registry {
    static constexpr size_t kWindow = 1024;

    std::mutex mutex;
    std::deque<std::optional<Block>> recent; // handles base, base + 1, ...
    DHANDLE base = 1;
    std::unordered_map<DHANDLE, Block> old;
    DHANDLE lastHandle = NULLHANDLE;

    bool InWindow(DHANDLE handle) const { return handle >= base && handle - base < recent.size(); }

    Block* Find(DHANDLE handle) {
        if (InWindow(handle)) {
            std::optional<Block>& block = recent[handle - base];
            return block ? &*block : nullptr;
        }
        auto it = old.find(handle);
        return it == old.end() ? nullptr : &it->second;
    }

    // The block of the handle handed out last.
    void Add(const Block& block) {
        recent.push_back(block);
        while (recent.size() > kWindow) {
            if (recent.front()) old.emplace(base, *recent.front());
            recent.pop_front();
            ++base;
        }
    }

    bool Remove(DHANDLE handle, Block& removed) {
        if (!InWindow(handle)) {
            auto it = old.find(handle);
            if (it == old.end()) return false;
            removed = it->second;
            old.erase(it);
            return true;
        }
        std::optional<Block>& block = recent[handle - base];
        if (!block) return false;
        removed = *block;
        block.reset();
        while (!recent.empty() && !recent.front()) {
            recent.pop_front();
            ++base;
        }
        return true;
    }

    template <class Fn>
    void ForEach(Fn fn) {
        for (const std::optional<Block>& block : recent)
            if (block) fn(*block);
        for (const auto& [handle, block] : old)
            fn(block);
    }

    void Clear() {
        recent.clear();
        old.clear();
        base = lastHandle + 1;
    }
};

// Never destroyed, like the process state: calls may still arrive from static destructors.
Registry& TheRegistry() {
    static Registry* registry = new Registry;
    return *registry;
}

} // namespace

namespace {

// Makes a block of size bytes, filled from bytes when given, under the registry's lock.
STATUS NewBlock(uint32_t size, const void* bytes, DHANDLE* handle) {
    if (STATUS status = RequireProcess()) return status;
    if (handle == nullptr) return ERR_MISSING_ARGUMENT;
    *handle = NULLHANDLE;
    if (size > MAXBLOCKSIZE) return ERR_BLOCK_TOO_LARGE;
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    if (registry.lastHandle == std::numeric_limits<DHANDLE>::max()) return ERR_NO_MORE_HANDLES;
    std::byte* base = ReserveRegion(size);
    if (base == nullptr) return ERR_INSUFFICIENT_MEMORY;
    if (bytes != nullptr && size != 0) std::memcpy(base, bytes, size);
    const DHANDLE newHandle = ++registry.lastHandle;
    registry.Add(Block{base, size, 0});
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
