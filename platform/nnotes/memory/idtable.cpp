// ID tables kept whole in one memory block: the on-disk header that marks the table as scan-only, then the
// table's own fields and its ids in ascending order. Blocks never move, so inserts shift ids in place.
#include "memory/memory.h"
#include "process/process.h"

#include <cstring>

namespace nnotes {
namespace {

// Byte offsets inside the block. The ids are in host order: only this file reads them.
constexpr uint32_t kMagicAt = 12; // after the 10-byte header, at a 4-byte boundary
constexpr uint32_t kCountAt = 16;
constexpr uint32_t kCursorAt = 20; // index of the id the next IDScan gives
constexpr uint32_t kIdsAt = 24;
constexpr uint32_t kMagic = 0x4944544C;

uint32_t Get(const std::byte* base, uint32_t at) {
    uint32_t value;
    std::memcpy(&value, base + at, sizeof value);
    return value;
}

void Put(std::byte* base, uint32_t at, uint32_t value) {
    std::memcpy(base + at, &value, sizeof value);
}

struct Table {
    std::byte* base = nullptr;
    uint32_t count = 0;

    NOTEID IdAt(uint32_t index) const { return Get(base, kIdsAt + 4 * index); }
    uint32_t Cursor() const { return Get(base, kCursorAt); }
    void SetCursor(uint32_t cursor) { Put(base, kCursorAt, cursor); }
    // Index of the first id not below id.
    uint32_t LowerBound(NOTEID id) const {
        uint32_t low = 0, high = count;
        while (low < high) {
            const uint32_t middle = low + (high - low) / 2;
            if (IdAt(middle) < id)
                low = middle + 1;
            else
                high = middle;
        }
        return low;
    }
};

// Finds the table and checks that its block holds exactly its ids.
STATUS OpenTable(DHANDLE handle, Table* table) {
    if (STATUS status = RequireProcess()) return status;
    uint32_t size = 0;
    table->base = PeekBlock(handle, &size);
    if (table->base == nullptr) return ERR_BAD_HANDLE;
    if (size < kIdsAt || Get(table->base, kMagicAt) != kMagic) return ERR_IDTABLE_BAD;
    table->count = Get(table->base, kCountAt);
    if ((size - kIdsAt) / 4 != table->count || (size - kIdsAt) % 4 != 0 || table->Cursor() > table->count)
        return ERR_IDTABLE_BAD;
    return NOERROR;
}

} // namespace

STATUS CreateIDTable(DHANDLE* handle) {
    if (handle == nullptr) return ERR_MISSING_ARGUMENT;
    if (STATUS status = AllocateBlock(0, kIdsAt, handle)) return status;
    uint32_t size = 0;
    std::byte* base = PeekBlock(*handle, &size);
    const ODSIDTableHeader header{1, 0, 0, 0, IDTABLE_SCAN_ONLY};
    void* position = base;
    WriteOnDiskStructure(&position, size, ODS_IDTABLE_HEADER, &header, 1);
    Put(base, kMagicAt, kMagic);
    return NOERROR;
}

STATUS InsertID(DHANDLE handle, NOTEID id, bool* inserted) {
    if (inserted != nullptr) *inserted = false;
    Table table;
    if (STATUS status = OpenTable(handle, &table)) return status;
    const uint32_t at = table.LowerBound(id);
    if (at < table.count && table.IdAt(at) == id) return NOERROR;
    if (table.count == (MAXBLOCKSIZE - kIdsAt) / 4) return ERR_BLOCK_TOO_LARGE;
    if (STATUS status = ResizeBlock(handle, kIdsAt + 4 * (table.count + 1))) return status;
    std::byte* idAt = table.base + kIdsAt + 4 * at;
    std::memmove(idAt + 4, idAt, 4 * (table.count - at));
    Put(idAt, 0, id);
    Put(table.base, kCountAt, table.count + 1);
    if (at < table.Cursor()) table.SetCursor(table.Cursor() + 1);
    if (inserted != nullptr) *inserted = true;
    return NOERROR;
}

STATUS IDScan(DHANDLE handle, bool first, NOTEID* id) {
    if (id == nullptr) return ERR_MISSING_ARGUMENT;
    Table table;
    if (STATUS status = OpenTable(handle, &table)) return status;
    const uint32_t cursor = first ? 0 : table.Cursor();
    if (cursor >= table.count) {
        table.SetCursor(table.count);
        return ERR_IDTABLE_END;
    }
    *id = table.IdAt(cursor);
    table.SetCursor(cursor + 1);
    return NOERROR;
}

uint32_t IDEntries(DHANDLE handle) {
    Table table;
    return OpenTable(handle, &table) == NOERROR ? table.count : 0;
}

STATUS CopyIDTable(DHANDLE handle, DHANDLE* copy) {
    if (copy == nullptr) return ERR_MISSING_ARGUMENT;
    *copy = NULLHANDLE;
    Table table;
    if (STATUS status = OpenTable(handle, &table)) return status;
    const uint32_t size = kIdsAt + 4 * table.count;
    DHANDLE newHandle = NULLHANDLE;
    if (STATUS status = AllocateBlock(0, size, &newHandle)) return status;
    uint32_t newSize = 0;
    std::byte* base = PeekBlock(newHandle, &newSize);
    std::memcpy(base, table.base, size);
    Put(base, kCursorAt, 0);
    *copy = newHandle;
    return NOERROR;
}

STATUS DestroyIDTable(DHANDLE handle) {
    Table table;
    if (STATUS status = OpenTable(handle, &table)) return status;
    return FreeBlock(handle);
}

} // namespace nnotes
