#include "ln/lncompositeitembody.h"

#include "ln/lnassert.h"
#include "ln/lnerrors.h"
#include "ln/lnnote.h"
#include "nnotes/memblock.h"
#include "nnotes/note.h"
#include "nnotes/status.h"

#include <cstring>

LNCompositeItemBody::LNCompositeItemBody() {
    SetNSFType(nnotes::TYPE_COMPOSITE);
}

LNCompositeItemBody::LNCompositeItemBody(LNNoteBody* note, nnotes::BLOCKID item, uint16_t nsfType,
                                         uint16_t flags, nnotes::BLOCKID value, uint32_t size)
    : LNItemBody(note, item, nsfType, flags, value, size) {
    FirstBlock.Attach(value.pool, value.block, size);
}

LNCompositeItemBody::~LNCompositeItemBody() {
    if (IsOpen()) LNCompositeItemBody::Close();
    FirstBlock.Release();
}

LNSTATUS LNCompositeItemBody::Close() {
    if (!IsOpen()) return LNWARN_NOT_OPEN;
    FirstBlock.Release();
    MemoryBlockLockCache::Release();
    return LNItemBody::Close();
}

LNSTATUS LNCompositeItemBody::ReadValue(uint32_t, uint32_t, void*) {
    return LNReturnOrThrow(LNERR_UNEXPECTED_CALLED);
}

LNSTATUS LNCompositeItemBody::ReadCanonical(uint32_t, uint16_t, void*) {
    return LNReturnOrThrow(LNERR_UNEXPECTED_CALLED);
}

LNSTATUS LNCompositeItemBody::WriteValue(uint32_t, uint32_t, const void*) {
    return LNReturnOrThrow(LNERR_UNEXPECTED_CALLED);
}

LNSTATUS LNCompositeItemBody::WriteCanonical(uint32_t, uint16_t, const void*) {
    return LNReturnOrThrow(LNERR_UNEXPECTED_CALLED);
}

LNSTATUS LNCompositeItemBody::ReplaceFirstBlock(LNMemoryBlock* block) {
    if (!IsOpen()) return LNReturnOrThrow(LNERR_ALREADY_CLOSED);
    const bool ownedOld = IsValueOwned();
    FirstBlock.Swap(*block);
    if (ownedOld) block->TakeOwnership();
    SetValueBlockID(FirstBlock.GetBlockID());
    SetValueSize(FirstBlock.GetSize());
    SetValueOwned(!FirstBlock.IsAllocatedByThisClass() && !FirstBlock.IsEmpty());
    return LNNOERROR;
}

LNSTATUS LNCompositeItemBody::ItemName(const LNString* name, char* buffer, uint16_t* length,
                                       uint16_t* flags) const {
    if (const nnotes::STATUS status =
            nnotes::QueryItemByBlock(GetNoteHandle(), GetItemBlockID(), buffer, nnotes::MAXITEMNAME + 1,
                                     length, flags, nullptr, nullptr, nullptr))
        return LNToNotesStatus(status);
    if (name != nullptr) {
        const uint32_t bytes = name->GetByteLength();
        if (bytes == 0 || bytes > nnotes::MAXITEMNAME) return LNERR_INVALID_PARAMETER;
        std::memcpy(buffer, name->GetTextPtr(), bytes);
        buffer[bytes] = '\0';
        *length = static_cast<uint16_t>(bytes);
    }
    return LNNOERROR;
}

LNSTATUS LNCompositeItemBody::Flush(const LNString* name) {
    if (name == nullptr && !IsDirty()) return LNNOERROR;
    if (!IsOpen()) return LNReturnOrThrow(LNERR_ALREADY_CLOSED);
    if (const LNSTATUS status = BuildValue()) return LNReturnOrThrow(status);
    if (IsInNote()) {
        const nnotes::NOTEHANDLE note = GetNoteHandle();
        char itemName[nnotes::MAXITEMNAME + 1];
        uint16_t length = 0;
        uint16_t flags = 0;
        if (const LNSTATUS status = ItemName(name, itemName, &length, &flags)) return LNReturnOrThrow(status);
        nnotes::BLOCKID item{};
        if (const nnotes::STATUS status = nnotes::AppendItemByBlock(note, flags, itemName, length,
                                                                    GetValueBlockID(), GetValueSize(), &item))
            return LNReturnOrThrowNotesStatus(status);
        LN_ASSERT(!FirstBlock.IsAllocatedByThisClass(), "lncompit", 311);
        SetValueOwned(false);
        if (const nnotes::STATUS status = nnotes::DeleteItemByBlock(note, GetItemBlockID()))
            return LNReturnOrThrowNotesStatus(status);
        nnotes::BLOCKID found{};
        nnotes::BLOCKID value{};
        uint16_t type = 0;
        uint32_t size = 0;
        if (const nnotes::STATUS status =
                nnotes::FindItemByName(note, itemName, length, &found, &type, &value, &size))
            return LNReturnOrThrowNotesStatus(status);
        LN_ASSERT(found.pool == item.pool && found.block == item.block, "lncompit", 340);
        LN_ASSERT(type == nnotes::TYPE_COMPOSITE, "lncompit", 341);
        LN_ASSERT(value.pool == GetValueBlockID().pool && value.block == GetValueBlockID().block, "lncompit",
                  342);
        LN_ASSERT(size == GetValueSize(), "lncompit", 343);
        SetItemBlockID(item);
        GetNoteBody()->SetModified();
    }
    SetDirty(false);
    return LNNOERROR;
}
