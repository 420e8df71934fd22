// Each region is one private anonymous mapping of MAXBLOCKSIZE bytes. The kernel backs only the pages that
// are touched, and neighbouring mappings merge, so an unused reserve costs neither memory nor mapping slots.
#include "memory_region.h"

#include "nnotes.h"

#include <algorithm>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define QVL_POISON(addr, size) ASAN_POISON_MEMORY_REGION(addr, size)
#define QVL_UNPOISON(addr, size) ASAN_UNPOISON_MEMORY_REGION(addr, size)
#else
#define QVL_POISON(addr, size) ((void)(addr), (void)(size))
#define QVL_UNPOISON(addr, size) ((void)(addr), (void)(size))
#endif

namespace nnotes {
namespace {

size_t PageSize() {
    static const size_t size = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    return size;
}

size_t RoundUpToPage(size_t n) {
    return (n + PageSize() - 1) / PageSize() * PageSize();
}

// Under AddressSanitizer the bytes from the end of the block to one page past it are marked unusable, so that
// an overrun of a block is reported like an overrun of a heap allocation.
size_t GuardEnd(uint32_t size) {
    return std::min<size_t>(RoundUpToPage(size) + PageSize(), MAXBLOCKSIZE);
}

} // namespace

std::byte* ReserveRegion(uint32_t size) {
    void* base = mmap(nullptr, MAXBLOCKSIZE, PROT_READ | PROT_WRITE,
                      MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (base == MAP_FAILED) return nullptr;
    auto* bytes = static_cast<std::byte*>(base);
    QVL_POISON(bytes + size, GuardEnd(size) - size);
    return bytes;
}

void ResizeRegion(std::byte* base, uint32_t oldSize, uint32_t newSize) {
    QVL_UNPOISON(base, GuardEnd(std::max(oldSize, newSize)));
    if (newSize > oldSize) {
        // Whole pages past the old end were never touched or were handed back, so they are zero already.
        const size_t end = std::min<size_t>(newSize, RoundUpToPage(oldSize));
        if (end > oldSize) std::memset(base + oldSize, 0, end - oldSize);
    } else {
        // Hands whole pages past the new end back to the system; they read as zero when touched again.
        const size_t keep = RoundUpToPage(newSize);
        const size_t used = RoundUpToPage(oldSize);
        if (used > keep) madvise(base + keep, used - keep, MADV_DONTNEED);
    }
    QVL_POISON(base + newSize, GuardEnd(newSize) - newSize);
}

void ReleaseRegion(std::byte* base, uint32_t size) {
    QVL_UNPOISON(base, GuardEnd(size));
    munmap(base, MAXBLOCKSIZE);
}

} // namespace nnotes
