// Each region is one private anonymous mapping of MAXBLOCKSIZE bytes. The kernel backs only the pages that
// are touched, and neighbouring mappings merge, so an unused reserve costs neither memory nor mapping slots.
// Freed regions are zeroed and kept for reuse, up to a bound, which spares two system calls and a page fault
// for each of the many small blocks that callers allocate and free in turn.
//
// Past a region's size its bytes are stale up to the end of that page and zero beyond it: the pages beyond
// were never touched or were handed back.
#include "memory/memory_region.h"

#include "nnotes/nnotes.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <sys/mman.h>
#include <unistd.h>
#include <utility>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define QVL_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QVL_ASAN 1
#endif
#endif

#if defined(QVL_ASAN)
#include <sanitizer/asan_interface.h>
#define QVL_POISON(addr, size) ASAN_POISON_MEMORY_REGION(addr, size)
#define QVL_UNPOISON(addr, size) ASAN_UNPOISON_MEMORY_REGION(addr, size)
#else
#define QVL_POISON(addr, size) ((void)(addr), (void)(size))
#define QVL_UNPOISON(addr, size) ((void)(addr), (void)(size))
#endif

namespace nnotes {
namespace {

constexpr size_t kSpareBytesLimit = 16u << 20; // resident bytes kept in spare regions
constexpr size_t kSpareRegionLimit = 4096;
constexpr size_t kSpareRegionBytes = 64u << 10; // the most of one region that is kept

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

struct Spares {
    std::mutex mutex;
    std::vector<std::pair<std::byte*, size_t>> regions; // wholly zero and unpoisoned; the pages once touched
    size_t bytes = 0;                                   // their touched pages
};

Spares& TheSpares() {
    static Spares* spares = new Spares;
    return *spares;
}

std::byte* TakeSpare() {
    Spares& spares = TheSpares();
    std::lock_guard lock(spares.mutex);
    if (spares.regions.empty()) return nullptr;
    const auto [base, bytes] = spares.regions.back();
    spares.regions.pop_back();
    spares.bytes -= bytes;
    return base;
}

// Keeps a region that used at most kSpareRegionBytes; larger ones go back to the system. Zeroing a few pages
// costs far less than a fresh mapping's page-table set-up and faults, which blocks of a few pages (search
// results, read buffers) would otherwise pay on every allocation.
bool KeepSpare(std::byte* base, uint32_t size) {
    const size_t touched = RoundUpToPage(std::max<size_t>(size, 1));
    if (touched > kSpareRegionBytes) return false;
    Spares& spares = TheSpares();
    std::lock_guard lock(spares.mutex);
    if (spares.regions.size() >= kSpareRegionLimit || spares.bytes + touched > kSpareBytesLimit) return false;
    std::memset(base, 0, touched);
    spares.regions.emplace_back(base, touched);
    spares.bytes += touched;
    return true;
}

} // namespace

std::byte* ReserveRegion(uint32_t size) {
    std::byte* base = TakeSpare();
    if (base == nullptr) {
        void* mapped = mmap(nullptr, MAXBLOCKSIZE, PROT_READ | PROT_WRITE,
                            MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (mapped == MAP_FAILED) return nullptr;
        base = static_cast<std::byte*>(mapped);
    }
    QVL_POISON(base + size, GuardEnd(size) - size);
    return base;
}

void ResizeRegion(std::byte* base, uint32_t oldSize, uint32_t newSize) {
    QVL_UNPOISON(base, GuardEnd(std::max(oldSize, newSize)));
    if (newSize > oldSize) {
        const size_t end = std::min<size_t>(newSize, RoundUpToPage(oldSize));
        if (end > oldSize) std::memset(base + oldSize, 0, end - oldSize);
    } else {
        const size_t keep = RoundUpToPage(newSize);
        const size_t used = RoundUpToPage(oldSize);
        if (used > keep) madvise(base + keep, used - keep, MADV_DONTNEED);
    }
    QVL_POISON(base + newSize, GuardEnd(newSize) - newSize);
}

void ReleaseRegion(std::byte* base, uint32_t size) {
    QVL_UNPOISON(base, GuardEnd(size));
    if (!KeepSpare(base, size)) munmap(base, MAXBLOCKSIZE);
}

} // namespace nnotes
