#include "ln/lnheap.h"

#include "ln/lnassert.h"
#include "ln/lnerrors.h"
#include "lnglobals.h"
#include "lnheapinternal.h"

#include <cstdlib>
#include <new>
#include <unordered_set>

constexpr std::size_t kBlockAlignment = alignof(std::max_align_t);
constexpr std::size_t kHeaderSize =
    (2 * sizeof(void*) + sizeof(uint32_t) + kBlockAlignment - 1) / kBlockAlignment * kBlockAlignment;

struct alignas(kBlockAlignment) LNHeapHeader {
    LNHeapHeader* Next = nullptr;     // next newer listed block
    LNHeapHeader* Previous = nullptr; // next older listed block
    unsigned char Reserved[kHeaderSize - 2 * sizeof(void*) - sizeof(uint32_t)] = {};
    uint32_t Magic = LNHEAP_MAGIC; // the last word, right in front of the block
};

static_assert(sizeof(LNHeapHeader) == kHeaderSize);
static_assert(offsetof(LNHeapHeader, Magic) + sizeof(uint32_t) == sizeof(LNHeapHeader));
namespace {

using Registry = std::unordered_set<const void*>;

// The live blocks. Never destroyed: static destructors elsewhere may still free API objects.
Registry& LiveBlocks() {
    static Registry* blocks = new Registry;
    return *blocks;
}

LNHeapHeader* HeaderOf(const void* block) {
    return static_cast<LNHeapHeader*>(const_cast<void*>(block)) - 1;
}

// Caller holds MemLocked. A header that is no longer listed is passed over.
void Unlink(LNHeapHeader* header) {
    LNGlobals& g = LNGlobal();
    LNHeapHeader* const next = header->Next;
    LNHeapHeader* const previous = header->Previous;
    if (next != nullptr) {
        next->Previous = previous;
        header->Next = nullptr;
    } else if (header != g.Newest) {
        LN_ASSERT(header->Previous == 0, "memory", 376);
        return;
    } else {
        g.Newest = previous;
    }
    if (previous != nullptr) {
        previous->Next = next;
        header->Previous = nullptr;
    }
}

} // namespace

void* LNNew(std::size_t size) {
    LNGlobals& g = LNGlobal();
    if (g.DeleteAllRunning) throw LNERR_ALLOCATE_DURING_DELETE_ALL;
    if (size > SIZE_MAX - kHeaderSize) throw LNERR_NO_MEMORY;
    void* raw = std::malloc(kHeaderSize + size);
    if (raw == nullptr) throw LNERR_NO_MEMORY;
    auto* header = new (raw) LNHeapHeader;
    void* block = header + 1;
    try {
        std::lock_guard<std::mutex> lock(g.MemLocked);
        LiveBlocks().insert(block);
        header->Previous = g.Newest;
        if (g.Newest != nullptr) g.Newest->Next = header;
        g.Newest = header;
    } catch (const std::bad_alloc&) {
        std::free(raw);
        throw LNERR_NO_MEMORY;
    }
    return block;
}

void LNDelete(void* block) {
    if (block == nullptr) return;
    LNHeapHeader* header = HeaderOf(block);
    {
        std::lock_guard<std::mutex> lock(LNGlobal().MemLocked);
        Registry& blocks = LiveBlocks();
        const auto it = blocks.find(block);
        if (it == blocks.end() || header->Magic != LNHEAP_MAGIC) throw LNERR_NOT_ALLOCATED_BY_LNNEW;
        Unlink(header);
        blocks.erase(it);
    }
    std::free(header);
}

bool LNIsHeapBlock(const void* block) {
    std::lock_guard<std::mutex> lock(LNGlobal().MemLocked);
    return LiveBlocks().contains(block) && HeaderOf(block)->Magic == LNHEAP_MAGIC;
}

void* LNNewestHeapBlock() {
    LNGlobals& g = LNGlobal();
    std::lock_guard<std::mutex> lock(g.MemLocked);
    return g.Newest != nullptr ? g.Newest + 1 : nullptr;
}

void LNUnlistHeapBlock(void* block) {
    std::lock_guard<std::mutex> lock(LNGlobal().MemLocked);
    if (LiveBlocks().contains(block)) Unlink(HeaderOf(block));
}
