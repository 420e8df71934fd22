#include "store/note.h"

#include "memory/memory.h"
#include "store/item_layout.h"
#include "util/coding.h"
#include "util/text.h"

#include <algorithm>
#include <cstring>

namespace nnotes::store {
namespace {

// Values start at a non-zero offset of their pool, aligned, and end at or below kPoolLimit.
constexpr uint32_t kFirstOffset = 4;
constexpr uint32_t kPoolLimit = 0xFFFF;
constexpr uint32_t kAlign = 4;

uint32_t Aligned(uint32_t n) {
    return (n + kAlign - 1) & ~(kAlign - 1);
}

bool SameName(std::string_view a, std::string_view b) {
    return util::EqualsNoCase(a, b);
}

} // namespace

STATUS CheckItemName(std::string_view name) {
    if (name.empty() || name.size() > MAXITEMNAME || name.find('\0') != std::string_view::npos)
        return ERR_ITEM_NAME;
    return NOERROR;
}

uint64_t HashOf(std::string_view bytes) {
    // Every value of every note read is hashed: eight bytes a step, each mixed in by a multiply and a
    // rotation, the length and the last few bytes folded in at the end.
    constexpr uint64_t kPrime1 = 0x9E3779B185EBCA87ull, kPrime2 = 0xC2B2AE3D27D4EB4Full;
    const auto mix = [&](uint64_t h, uint64_t word) {
        h ^= word * kPrime2;
        h = (h << 31) | (h >> 33);
        return h * kPrime1;
    };
    uint64_t h = 0x27D4EB2F165667C5ull ^ (bytes.size() * kPrime1);
    const char* p = bytes.data();
    size_t left = bytes.size();
    for (; left >= 8; p += 8, left -= 8) {
        uint64_t word;
        std::memcpy(&word, p, sizeof word);
        h = mix(h, word);
    }
    uint64_t tail = 0;
    std::memcpy(&tail, p, left);
    h = mix(h, tail ^ (uint64_t{left} << 56));
    h ^= h >> 33;
    h *= kPrime2;
    h ^= h >> 29;
    return h;
}

Note::~Note() {
    for (const Pool& pool : pools_)
        FreeBlock(pool.handle);
    for (DHANDLE block : blocks_)
        FreeBlock(block);
    if (responses != NULLHANDLE) DestroyIDTable(responses);
}

// Fills a new note straight from the rows of its read: each value is copied once, from the statement into
// the note's pool, and left asStored.
class Note::Filler final : public NoteRowSink {
public:
    explicit Filler(Note& note) : note_(note) {}

    STATUS Header(const StoredHeader& header) override {
        note_.id = header.id;
        note_.noteClass = header.noteClass;
        note_.oid = header.oid;
        note_.added = header.added;
        note_.origin = Origin{note_.db,
                              header.id,
                              header.oid.sequence,
                              header.noteClass,
                              UNIVERSALID{header.oid.file, header.oid.note},
                              header.oid};
        return NOERROR;
    }

    STATUS Item(const StoredItemRow& row) override {
        NoteItem* placed = nullptr;
        const uint32_t length = static_cast<uint32_t>(row.value.size()) - sizeof(uint16_t);
        // Stored values are taken as they are: a damaged one must not lock its note away; readers check.
        if (STATUS s = note_.AppendUnchecked(row.flags, row.name, row.type,
                                             row.value.data() + sizeof(uint16_t), length, &placed))
            return s == ERR_ITEM_NAME ? ERR_NOTE_DAMAGED : s;
        placed->seq = row.seq;
        placed->asStored = true;
        note_.lastSeq = std::max(note_.lastSeq, row.seq);
        return NOERROR;
    }

private:
    Note& note_;
};

STATUS Note::Read(DBHANDLE db, Connection& sql, NOTEID id, std::shared_ptr<Note>& out) {
    auto note = std::make_shared<Note>();
    note->db = db;
    note->items_.reserve(16); // most notes have no more, and growing moves every item read so far
    Filler filler(*note);
    if (STATUS s = ReadNoteRows(sql, id, filler)) return s;
    out = std::move(note);
    return NOERROR;
}

STATUS Note::Duplicate(std::shared_ptr<Note>& out) const {
    auto copy = std::make_shared<Note>();
    copy->db = db;
    copy->id = id;
    copy->noteClass = noteClass;
    copy->oid = oid;
    copy->added = added;
    copy->accessed = accessed;
    copy->origin = origin;
    copy->lastSeq = lastSeq;
    copy->removedSeqs = removedSeqs;
    copy->removedNames = removedNames;
    copy->items_.reserve(items_.size());
    for (const auto& item : items_) {
        // The copy's bytes are the item's as they are now: an item still asStored stays so in the copy.
        std::string_view bytes;
        if (STATUS s = BytesOf(item, bytes)) return s;
        NoteItem* placed = nullptr;
        if (STATUS s =
                copy->AppendUnchecked(item.flags, item.name, item.type, bytes.data() + sizeof(uint16_t),
                                      static_cast<uint32_t>(bytes.size() - sizeof(uint16_t)), &placed))
            return s;
        placed->serial = item.serial;
        placed->seq = item.seq;
        placed->storedHash = item.storedHash;
        placed->asStored = item.asStored;
    }
    copy->nextSerial_ = nextSerial_;
    copy->serialsRounded_ = serialsRounded_;
    out = std::move(copy);
    return NOERROR;
}

STATUS Note::NextSerial(uint16_t& serial) {
    // After the last serial they come round again, passing over those of the items still in the note, so
    // that a note whose items are changed again and again while it is open never runs out of them.
    if (items_.size() >= UINT16_MAX) return ERR_NOTE_TOO_MANY_ITEMS;
    while (nextSerial_ == 0 || (serialsRounded_ && FindSerial(nextSerial_) != nullptr)) {
        if (nextSerial_ == 0) serialsRounded_ = true;
        ++nextSerial_;
    }
    serial = nextSerial_++;
    return NOERROR;
}

Note::Pool* Note::PoolOf(DHANDLE handle) {
    for (Pool& pool : pools_)
        if (pool.handle == handle) return &pool;
    return nullptr;
}

STATUS Note::Place(uint32_t length, BLOCKID& at, char*& bytes) {
    if (length > kPoolLimit - kFirstOffset) return ERR_ITEM_TOO_BIG;
    if (pools_.empty() || poolUsed_ + length > kPoolLimit) {
        DHANDLE pool = NULLHANDLE;
        const uint32_t size = std::min(kPoolLimit, std::max(kFirstOffset + length, 1024u));
        if (STATUS s = AllocateBlock(0, size, &pool)) return s;
        uint32_t mapped = 0;
        std::byte* base = PeekBlock(pool, &mapped);
        if (base == nullptr) {
            FreeBlock(pool);
            return ERR_VALUE_BLOCK;
        }
        pools_.push_back(Pool{pool, base, size});
        poolUsed_ = kFirstOffset;
    } else if (Pool& pool = pools_.back(); poolUsed_ + length > pool.size) {
        const uint32_t size = std::min(kPoolLimit, std::max(poolUsed_ + length, pool.size * 2));
        if (STATUS s = ResizeBlock(pool.handle, size)) return s;
        pool.size = size;
    }
    Pool& pool = pools_.back();
    ++pool.items;
    at = BLOCKID{pool.handle, static_cast<uint16_t>(poolUsed_)};
    bytes = reinterpret_cast<char*>(pool.bytes) + poolUsed_;
    poolUsed_ = std::min(kPoolLimit, Aligned(poolUsed_ + length));
    return NOERROR;
}

STATUS Note::Append(uint16_t flags, std::string_view name, uint16_t type, const void* data, uint32_t length,
                    NoteItem** item) {
    if (data == nullptr && length != 0) return ERR_MISSING_ARGUMENT;
    if (STATUS s = CheckLayout(type, std::string_view(static_cast<const char*>(data), length))) return s;
    return AppendUnchecked(flags, name, type, data, length, item);
}

STATUS Note::AppendUnchecked(uint16_t flags, std::string_view name, uint16_t type, const void* data,
                             uint32_t length, NoteItem** item) {
    if (STATUS s = CheckItemName(name)) return s;
    if (length > kPoolLimit) return ERR_ITEM_TOO_BIG;
    NoteItem added;
    if (STATUS s = NextSerial(added.serial)) return s;
    added.length = length + sizeof type;
    char* at = nullptr;
    if (STATUS s = Place(added.length, added.value, at)) return s;
    util::EncodeFixed16(at, type);
    if (length != 0) std::memcpy(at + sizeof type, data, length);
    added.name = name;
    added.flags = flags;
    added.type = type;
    items_.push_back(std::move(added));
    if (item != nullptr) *item = &items_.back();
    return NOERROR;
}

STATUS Note::Adopt(uint16_t flags, std::string_view name, BLOCKID value, uint32_t length, NoteItem** item) {
    if (STATUS s = CheckItemName(name)) return s;
    uint32_t blockSize = 0;
    if (value.pool == NULLHANDLE || GetBlockSize(value.pool, &blockSize) != NOERROR) return ERR_VALUE_BLOCK;
    if (length < sizeof(uint16_t) || uint64_t{value.block} + length > blockSize) return ERR_VALUE_BLOCK;
    // Also within what a pool can hold, so that the stored value can be placed again when the note is read.
    if (uint64_t{value.block} + length > kPoolLimit || length > kPoolLimit - kFirstOffset)
        return ERR_ITEM_TOO_BIG;
    const auto* at = static_cast<const char*>(LockBlock(value.pool)) + value.block;
    const uint16_t type = util::DecodeFixed16(at);
    const STATUS layout = CheckLayout(type, std::string_view(at + sizeof type, length - sizeof type));
    UnlockBlock(value.pool);
    if (layout) return layout;
    NoteItem added;
    if (STATUS s = NextSerial(added.serial)) return s;
    added.name = name;
    added.flags = flags;
    added.type = type;
    added.value = value;
    added.length = length;
    if (Pool* own = PoolOf(value.pool))
        ++own->items;
    else if (std::find(blocks_.begin(), blocks_.end(), value.pool) == blocks_.end())
        blocks_.push_back(value.pool);
    items_.push_back(std::move(added));
    if (item != nullptr) *item = &items_.back();
    return NOERROR;
}

NoteItem* Note::FindSerial(uint16_t serial) {
    // Serials are handed out in order, so until items are removed or a copy keeps its source's, an item's
    // serial is its place plus one.
    if (serial != 0 && serial <= items_.size() && items_[serial - 1u].serial == serial)
        return &items_[serial - 1u];
    auto it =
        std::find_if(items_.begin(), items_.end(), [&](const NoteItem& i) { return i.serial == serial; });
    return it == items_.end() ? nullptr : &*it;
}

size_t Note::FindName(std::string_view name, size_t from) const {
    for (size_t i = from; i < items_.size(); ++i)
        if (name.empty() || SameName(items_[i].name, name)) return i;
    return items_.size();
}

STATUS Note::Remove(uint16_t serial) {
    auto it =
        std::find_if(items_.begin(), items_.end(), [&](const NoteItem& i) { return i.serial == serial; });
    if (it == items_.end()) return ERR_ITEM_BLOCK;
    if (it->seq != 0) {
        removedSeqs.push_back(it->seq);
        removedNames.push_back(it->name);
    }
    const DHANDLE pool = it->value.pool;
    items_.erase(it); // its bytes stay where they are: no other item's value moves
    // A pool whose every value was removed is freed, so that a note changed again and again while it is
    // open does not grow without end; not the pool being filled, and not one that a caller holds locked.
    Pool* own = PoolOf(pool);
    if (own != nullptr && --own->items == 0 && own != &pools_.back() && FreeBlockIfUnlocked(pool))
        pools_.erase(pools_.begin() + (own - pools_.data()));
    return NOERROR;
}

STATUS Note::BytesOf(const NoteItem& item, std::string_view& out) const {
    uint32_t blockSize = 0;
    const std::byte* at = nullptr;
    for (const Pool& pool : pools_)
        if (pool.handle == item.value.pool) {
            at = pool.bytes;
            blockSize = pool.size;
        }
    // Adopted blocks stay their owners' to resize or free: those are looked up each time.
    if (at == nullptr) at = PeekBlock(item.value.pool, &blockSize);
    if (at == nullptr || uint64_t{item.value.block} + item.length > blockSize) return ERR_VALUE_BLOCK;
    out = std::string_view(reinterpret_cast<const char*>(at) + item.value.block, item.length);
    return NOERROR;
}

void Note::Expose(const NoteItem& item) const {
    if (!item.asStored) return;
    std::string_view bytes;
    // A value whose block is gone keeps no hash: the next save finds it changed and writes what it can.
    item.storedHash = BytesOf(item, bytes) == NOERROR ? HashOf(bytes) : 0;
    item.asStored = false;
}

STATUS Note::ValueOf(const NoteItem& item, std::string& out) const {
    std::string_view bytes;
    if (STATUS s = BytesOf(item, bytes)) return s;
    if (item.asStored) {
        item.storedHash = HashOf(bytes);
        item.asStored = false;
    }
    out.assign(bytes);
    return NOERROR;
}

} // namespace nnotes::store
