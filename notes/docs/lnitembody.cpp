#include "ln/lnitembody.h"

#include "ln/lnassert.h"
#include "ln/lnerrors.h"
#include "ln/lnnote.h"
#include "nnotes/memblock.h"
#include "nnotes/note.h"
#include "nnotes/ods.h"
#include "nnotes/status.h"

#include <cstring>

namespace {

// Allocates a block of size bytes holding a copy of value (when given).
nnotes::STATUS NewBlock(const void* value, uint32_t size, nnotes::DHANDLE* block) {
    if (const nnotes::STATUS status = nnotes::AllocateBlock(LNITEM_BLOCK_TYPE, size, block)) return status;
    if (value != nullptr) {
        std::memcpy(nnotes::LockBlock(*block), value, size);
        nnotes::UnlockBlock(*block);
    }
    return nnotes::NOERROR;
}

} // namespace

LNItemBody::LNItemBody(nnotes::BLOCKID value, uint16_t nsfType, uint32_t size)
    : NSFType(nsfType), ValueBlock(value), ValueSize(size) {}

LNItemBody::LNItemBody(const void* value, uint16_t nsfType, uint32_t size)
    : NSFType(nsfType), ValueSize(size) {
    LN_ASSERT(value != nullptr, "lnitem", 717);
    if (size == 0) return;
    nnotes::DHANDLE block = nnotes::NULLHANDLE;
    if (const nnotes::STATUS status = NewBlock(value, size, &block)) throw LNSTATUS{status};
    ValueBlock = nnotes::BLOCKID{block, 0};
    ValueOwned = 1;
}

LNItemBody::LNItemBody(LNNoteBody* note, nnotes::BLOCKID item, uint16_t nsfType, uint16_t flags,
                       nnotes::BLOCKID value, uint32_t size)
    : LNBody(note != nullptr ? note->GetSession() : nullptr), ItemBlock(item), Note(note), ItemFlags(flags),
      NSFType(nsfType), ValueBlock(value), ValueSize(size) {
    LN_ASSERT(note != nullptr, "lnitem", 911);
    Open = IsNoteOpen() ? 1 : 0;
}

LNItemBody::~LNItemBody() {
    if (Open) Close();
}

LNSTATUS LNItemBody::Close() {
    if (!Open) return LNWARN_NOT_OPEN;
    Open = 0;
    if (LockedValue != nullptr) {
        nnotes::UnlockBlock(ValueBlock.pool);
        LockedValue = nullptr;
        LockCount = 0;
    }
    FreeValue();
    Dirty = 0;
    ItemBlock = nnotes::NULLBLOCKID;
    Note = nullptr;
    ItemFlags = 0;
    NSFType = 0;
    ValueSize = 0;
    return LNNOERROR;
}

void LNItemBody::FreeValue() {
    if (ValueOwned) nnotes::FreeBlock(ValueBlock.pool);
    ValueOwned = 0;
    ValueBlock = nnotes::NULLBLOCKID;
}

void LNItemBody::AdoptValue(nnotes::BLOCKID block, uint16_t nsfType, uint32_t size) {
    // A lock of the old block ends with it.
    if (LockedValue != nullptr) nnotes::UnlockBlock(ValueBlock.pool);
    LockedValue = nullptr;
    LockCount = 0;
    FreeValue();
    ValueBlock = block;
    ValueOwned = 1;
    NSFType = nsfType;
    ValueSize = size;
    Dirty = 1;
}

bool LNItemBody::IsNoteOpen() const {
    return Note != nullptr && Note->IsOpen();
}

nnotes::NOTEHANDLE LNItemBody::GetNoteHandle() const {
    return IsNoteOpen() ? Note->GetNoteHandle() : nnotes::NULLHANDLE;
}

bool LNItemBody::IsItemBlock(nnotes::BLOCKID item) const {
    return item.pool == ItemBlock.pool && item.block == ItemBlock.block;
}

uint16_t LNItemBody::GetFlags() const {
    constexpr uint16_t kMask =
        nnotes::ITEM_SIGN | nnotes::ITEM_SEAL | nnotes::ITEM_SUMMARY | nnotes::ITEM_PROTECTED;
    return IsInNote() ? static_cast<uint16_t>(ItemFlags & kMask) : 0;
}

LNString LNItemBody::GetName() const {
    if (!IsInNote()) return LNString();
    if (!IsNoteOpen()) throw LNERR_NOTE_NOT_OPEN;
    char name[nnotes::MAXITEMNAME + 1];
    uint16_t length = 0;
    if (const nnotes::STATUS status = nnotes::QueryItemByBlock(
            Note->GetNoteHandle(), ItemBlock, name, sizeof name, &length, nullptr, nullptr, nullptr, nullptr))
        throw LNSTATUS{status};
    return LNString(reinterpret_cast<const LNUCHAR*>(name), length < sizeof name ? length : sizeof name - 1);
}

uint8_t* LNItemBody::LockValue() {
    if (LockedValue == nullptr) {
        if (ValueBlock.pool == nnotes::NULLHANDLE) throw LNERR_ITEM_NOT_DEFINED;
        auto* pool = static_cast<uint8_t*>(nnotes::LockBlock(ValueBlock.pool));
        if (pool == nullptr) throw LNERR_ITEM_NOT_DEFINED;
        LockedValue = pool + ValueBlock.block;
        LockCount = 0;
    }
    ++LockCount;
    return LockedValue;
}

void LNItemBody::UnlockValue() {
    if (LockedValue == nullptr) return;
    if (--LockCount > 0) return;
    nnotes::UnlockBlock(ValueBlock.pool);
    LockedValue = nullptr;
}

LNSTATUS LNItemBody::CheckRange(uint32_t offset, uint32_t length) const {
    if (IsInNote() && IsUnstored()) return LNERR_ITEM_NOT_DEFINED;
    if (ValueBlock.pool == nnotes::NULLHANDLE) return LNERR_ITEM_NOT_DEFINED;
    if (uint64_t{offset} + length > ValueSize) return LNERR_OFFSET_OUT_OF_ITEM;
    return LNNOERROR;
}

LNSTATUS LNItemBody::CopyOut(uint32_t offset, uint32_t length, void* destination, uint16_t structureType) {
    if (const LNSTATUS status = CheckRange(offset, length)) return LNReturnOrThrow(status);
    const void* at = LockValue() + offset;
    nnotes::STATUS status = nnotes::NOERROR;
    if (structureType == 0xFFFF)
        std::memcpy(destination, at, length);
    else
        status = nnotes::ReadOnDiskStructure(&at, length, structureType, destination, 1);
    UnlockValue();
    return LNReturnOrThrowNotesStatus(status);
}

LNSTATUS LNItemBody::CopyIn(uint32_t offset, uint32_t length, const void* source, uint16_t structureType) {
    if (IsInNote()) return LNReturnOrThrow(LNERR_INVALID_FOR_NOTE_ITEMS);
    if (const LNSTATUS status = CheckRange(offset, length)) return LNReturnOrThrow(status);
    void* at = LockValue() + offset;
    nnotes::STATUS status = nnotes::NOERROR;
    if (structureType == 0xFFFF)
        std::memcpy(at, source, length);
    else
        status = nnotes::WriteOnDiskStructure(&at, length, structureType, source, 1);
    UnlockValue();
    if (status == nnotes::NOERROR) Dirty = 1;
    return LNReturnOrThrowNotesStatus(status);
}

LNSTATUS LNItemBody::ReadValue(uint32_t offset, uint32_t length, void* destination) {
    return CopyOut(offset, length, destination, 0xFFFF);
}

LNSTATUS LNItemBody::ReadCanonical(uint32_t offset, uint16_t structureType, void* destination) {
    const uint16_t length = nnotes::ODSLength(structureType);
    if (length == 0) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    return CopyOut(offset, length, destination, structureType);
}

LNSTATUS LNItemBody::WriteValue(uint32_t offset, uint32_t length, const void* source) {
    return CopyIn(offset, length, source, 0xFFFF);
}

LNSTATUS LNItemBody::WriteCanonical(uint32_t offset, uint16_t structureType, const void* source) {
    const uint16_t length = nnotes::ODSLength(structureType);
    if (length == 0) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    return CopyIn(offset, length, source, structureType);
}

LNSTATUS LNItemBody::Flush(const LNString*) {
    Dirty = 0;
    return LNNOERROR;
}

LNSTATUS LNItemBody::InsertSpace(uint32_t offset, uint32_t count) {
    if (IsInNote()) return LNReturnOrThrow(LNERR_INVALID_FOR_NOTE_ITEMS);
    if (ValueBlock.pool == nnotes::NULLHANDLE) return LNReturnOrThrow(LNERR_ITEM_NOT_DEFINED);
    if (offset > ValueSize) return LNReturnOrThrow(LNERR_OFFSET_OUT_OF_ITEM);
    if (count == 0) return LNNOERROR;
    const uint64_t grown = uint64_t{ValueSize} + count + ValueBlock.block;
    if (grown > nnotes::MAXBLOCKSIZE) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    uint32_t blockSize = 0;
    if (const nnotes::STATUS status = nnotes::GetBlockSize(ValueBlock.pool, &blockSize))
        return LNReturnOrThrowNotesStatus(status);
    if (blockSize < grown) {
        if (const nnotes::STATUS status = nnotes::ResizeBlock(ValueBlock.pool, static_cast<uint32_t>(grown)))
            return LNReturnOrThrowNotesStatus(status);
    }
    uint8_t* at = LockValue();
    std::memmove(at + offset + count, at + offset, ValueSize - offset);
    UnlockValue();
    ValueSize += count;
    Dirty = 1;
    return LNNOERROR;
}

LNSTATUS LNItemBody::DeleteSpace(uint32_t offset, uint32_t count) {
    if (IsInNote()) return LNReturnOrThrow(LNERR_INVALID_FOR_NOTE_ITEMS);
    if (ValueBlock.pool == nnotes::NULLHANDLE) return LNReturnOrThrow(LNERR_ITEM_NOT_DEFINED);
    if (uint64_t{offset} + count > ValueSize) return LNReturnOrThrow(LNERR_OFFSET_OUT_OF_ITEM);
    if (count == 0) return LNNOERROR;
    uint8_t* at = LockValue();
    std::memmove(at + offset, at + offset + count, ValueSize - offset - count);
    UnlockValue();
    ValueSize -= count;
    Dirty = 1;
    return LNNOERROR;
}

LNSTATUS LNItemBody::SetValue(const void* value, uint16_t nsfType, uint32_t size) {
    if (IsInNote()) return LNReturnOrThrow(LNERR_INVALID_FOR_NOTE_ITEMS);
    if (size == 0) {
        if (value != nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
        FreeValue();
    } else if (ValueBlock.pool == nnotes::NULLHANDLE || !ValueOwned) {
        // A block the body does not own is never written: the value gets a block of its own.
        nnotes::DHANDLE block = nnotes::NULLHANDLE;
        if (const nnotes::STATUS status = NewBlock(value, size, &block))
            return LNReturnOrThrowNotesStatus(status);
        AdoptValue(nnotes::BLOCKID{block, 0}, nsfType, size);
    } else {
        uint32_t blockSize = 0;
        nnotes::STATUS status = nnotes::GetBlockSize(ValueBlock.pool, &blockSize);
        if (status == nnotes::NOERROR && blockSize < uint64_t{size} + ValueBlock.block)
            status = nnotes::ResizeBlock(ValueBlock.pool, size + ValueBlock.block);
        if (status != nnotes::NOERROR) return LNReturnOrThrowNotesStatus(status);
        if (value != nullptr) {
            std::memcpy(LockValue(), value, size);
            UnlockValue();
        }
    }
    ValueSize = size;
    NSFType = nsfType;
    ItemFlags = 0;
    Dirty = 1;
    return LNNOERROR;
}

LNSTATUS LNItemBody::CopyValue(LNItemBody* other) {
    LN_ASSERT(other != nullptr, "lnitem", 1169);
    if (!IsNoteOpen() || !other->IsNoteOpen()) return LNReturnOrThrow(LNERR_NOTE_NOT_OPEN);
    nnotes::DHANDLE block = nnotes::NULLHANDLE;
    if (other->ValueBlock.pool != nnotes::NULLHANDLE && other->ValueSize > 0) {
        const nnotes::STATUS status = NewBlock(other->LockValue(), other->ValueSize, &block);
        other->UnlockValue();
        if (status != nnotes::NOERROR) return LNReturnOrThrowNotesStatus(status);
    }
    FreeValue();
    ItemBlock = nnotes::NULLBLOCKID;
    ItemFlags = other->ItemFlags;
    NSFType = other->NSFType;
    if (block != nnotes::NULLHANDLE) {
        ValueBlock = nnotes::BLOCKID{block, 0};
        ValueOwned = 1;
        ValueSize = other->ValueSize;
    }
    Dirty = 1;
    return LNNOERROR;
}

LNSTATUS LNItemBody::StoreValueInNote(nnotes::BLOCKID value, uint32_t size) {
    const nnotes::NOTEHANDLE note = GetNoteHandle();
    if (note == nnotes::NULLHANDLE) {
        nnotes::FreeBlock(value.pool);
        return LNERR_NOTE_NOT_OPEN;
    }
    LNString name;
    try {
        name = GetName();
    } catch (LNSTATUS status) {
        nnotes::FreeBlock(value.pool);
        return status;
    }
    nnotes::BLOCKID item = nnotes::NULLBLOCKID;
    if (const nnotes::STATUS status =
            nnotes::AppendItemByBlock(note, ItemFlags, reinterpret_cast<const char*>(name.GetTextPtr()),
                                      static_cast<uint16_t>(name.GetByteLength()), value, size, &item)) {
        // Not adopted: the block is still the caller's.
        nnotes::FreeBlock(value.pool);
        return LNToNotesStatus(status);
    }
    if (const nnotes::STATUS status = nnotes::DeleteItemByBlock(note, ItemBlock)) {
        // The old item stays; the new one goes again so that the note keeps one item of the name.
        nnotes::DeleteItemByBlock(note, item);
        return LNToNotesStatus(status);
    }
    uint16_t type = 0, flags = 0;
    nnotes::BLOCKID stored = nnotes::NULLBLOCKID;
    uint32_t storedSize = 0;
    if (const nnotes::STATUS status =
            nnotes::QueryItemByBlock(note, item, nullptr, 0, nullptr, &flags, &type, &stored, &storedSize))
        return LNToNotesStatus(status);
    if (LockedValue != nullptr) nnotes::UnlockBlock(ValueBlock.pool);
    LockedValue = nullptr;
    LockCount = 0;
    ItemBlock = item;
    ItemFlags = flags;
    NSFType = type;
    ValueBlock = stored;
    ValueSize = storedSize;
    Dirty = 1;
    return LNNOERROR;
}
