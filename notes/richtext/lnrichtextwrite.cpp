// Writing a rich-text tree back: every record is copied once into output blocks of at most
// LNRICHTEXT_BLOCK_SIZE bytes (the last one exactly as long as its contents), each beginning with the
// composite type word, and each block becomes one item of the field.
#include "ln/lnassert.h"
#include "ln/lnerrors.h"
#include "ln/lnnote.h"
#include "ln/lnrichtext.h"
#include "ln/lnstylizedtext.h"
#include "nnotes/memblock.h"
#include "nnotes/note.h"
#include "nnotes/ods.h"
#include "nnotes/status.h"

#include <cstring>

namespace {

constexpr uint32_t kTypeWord = 2;

// Splits every run inside object that holds more than an output block can take beside its type word (a
// record another program wrote, or a run grown outside a tree), so that the tree can be written.
LNSTATUS SplitLongRuns(LNRTObjectBody* object) {
    if (object->IsType(LNRTTYPE_STYLIZED_TEXT)) {
        auto* run = static_cast<LNStylizedTextBody*>(object);
        return run->GetTextLength() > LNStylizedTextBody::MaxTextLength() ? run->SplitToFit() : LNNOERROR;
    }
    if (!object->IsType(LNRTTYPE_CONTAINER)) return LNNOERROR;
    LNRTObject child;
    static_cast<LNRTContainerBody*>(object)->GetFirstChild(&child);
    // The runs split off a run come right after it, already short enough.
    for (LNRTObjectBody* at = child.GetObjectBody(); at != nullptr; at = at->GetNextSibling())
        if (const LNSTATUS status = SplitLongRuns(at)) return status;
    return LNNOERROR;
}

} // namespace

LNSTATUS LNRichTextBody::GetWriteBlock(uint32_t length, uint32_t* offset, LNMemoryBlock** block) {
    if (length > LNRICHTEXT_BLOCK_SIZE - kTypeWord) return LNERR_INVALID_RICHTEXT;
    LNMemoryBlock* current = LastIndex == 0xFFFF ? &FirstBlock : MemBlocks[LastIndex].block.get();
    if (FirstBlock.IsEmpty() || current->GetSize() < uint64_t{*offset} + length) {
        if (!FirstBlock.IsEmpty()) {
            if (LastIndex == 0xFFFF) {
                FirstBlockUsed = *offset;
                LastIndex = 0;
            } else {
                MemBlocks[LastIndex].used = *offset;
                ++LastIndex;
            }
            MemBlocks.push_back(OutputBlock{nullptr, 0});
        }
        uint64_t written = FirstBlockUsed != 0 ? FirstBlockUsed - kTypeWord : 0;
        for (uint32_t i = 0; LastIndex != 0xFFFF && i < LastIndex; ++i) {
            LN_ASSERT(MemBlocks[i].used != 0, "lnrtitem", 2310);
            written += MemBlocks[i].used - kTypeWord;
        }
        // The records still to come; more than the total means the tree changed while it was written.
        if (written > TotalSize) return LNERR_CORRUPTED;
        const uint32_t remaining = static_cast<uint32_t>(TotalSize - written);
        uint32_t size = LNRICHTEXT_BLOCK_SIZE;
        if (remaining < LNRICHTEXT_BLOCK_SIZE - 1) {
            size = remaining + kTypeWord;
            (LastIndex == 0xFFFF ? FirstBlockUsed : MemBlocks[LastIndex].used) = size;
        }
        nnotes::DHANDLE handle = nnotes::NULLHANDLE;
        if (const nnotes::STATUS status = nnotes::AllocateBlock(0, size, &handle))
            return LNToNotesStatus(status);
        auto fresh = std::make_unique<LNMemoryBlock>();
        fresh->Attach(handle, 0, size);
        const uint16_t type = nnotes::TYPE_COMPOSITE;
        if (const LNSTATUS status = fresh->WriteStructure(nnotes::ODS_WORD, &type, 0)) {
            nnotes::FreeBlock(handle);
            return status;
        }
        *offset = kTypeWord;
        if (FirstBlock.IsEmpty()) {
            if (const LNSTATUS status = ReplaceFirstBlock(fresh.get())) {
                nnotes::FreeBlock(handle);
                return status;
            }
            LN_ASSERT(fresh->IsEmpty(), "lnrtitem", 2377);
            LN_ASSERT(!FirstBlock.IsAllocatedByThisClass(), "lnrtitem", 2378);
        } else {
            MemBlocks[LastIndex].block = std::move(fresh);
        }
        current = LastIndex == 0xFFFF ? &FirstBlock : MemBlocks[LastIndex].block.get();
    }
    LN_ASSERT(!FirstBlock.IsEmpty(), "lnrtitem", 2390);
    *block = current;
    return LNNOERROR;
}

void LNRichTextBody::ResetOutput() {
    MemBlocks.clear();
    LastIndex = 0xFFFF;
    TotalSize = 0;
}

LNSTATUS LNRichTextBody::WriteAll() {
    if (Closed) return LNERR_ALREADY_CLOSED;
    if (!IsLoaded())
        if (const LNSTATUS status = Load()) return status;
    // The objects still view the old value while they are copied out of it; it goes afterwards.
    LNMemoryBlock old;
    if (const LNSTATUS status = ReplaceFirstBlock(&old)) return status;
    std::vector<OutputBlock> oldOutput = std::move(MemBlocks);
    const uint32_t total = TotalSize;
    ResetOutput();
    TotalSize = total;
    FirstBlockUsed = 0;
    uint32_t offset = 0;
    LNSTATUS status = Top.GetObjectBody()->WriteRecord(&offset);
    LNMemoryBlock* block = nullptr;
    if (status == LNNOERROR && FirstBlock.IsEmpty()) status = GetWriteBlock(0, &offset, &block);
    if (status == LNNOERROR && LastIndex != 0xFFFF) MemBlocks[LastIndex].used = offset;
    if (status == LNNOERROR && LastIndex == 0xFFFF) FirstBlockUsed = offset;
    if (status != LNNOERROR) {
        // Some objects may still view the old memory: it stays until the body closes.
        if (old.IsAllocatedByThisClass()) Orphans.push_back(old.GetBlockID().pool);
        old.Detach();
        old.Release();
    }
    for (OutputBlock& output : oldOutput)
        if (output.block != nullptr) Orphans.push_back(output.block->GetBlockID().pool);
    if (status != LNNOERROR) return status;
    SetValueSize(FirstBlockUsed);
    if (const LNSTATUS dirty = Top.GetObjectBody()->SetDirty(false)) return dirty;
    LN_ASSERT(!Top.GetObjectBody()->IsDirty(), "lnrtitem", 2512);
    return LNNOERROR;
}

LNSTATUS LNRichTextBody::BuildValue() {
    if (Closed) return LNERR_ALREADY_CLOSED;
    if (!IsLoaded())
        if (const LNSTATUS status = Load()) return status;
    try {
        if (const LNSTATUS status = SplitLongRuns(Top.GetObjectBody())) return status;
        TotalSize = Top.GetRecordLength();
    } catch (LNSTATUS status) {
        return status;
    }
    if (const LNSTATUS status = WriteAll()) return status;
    LNFontTable fonts;
    if (GetFontTable(&fonts) == LNNOERROR)
        if (const LNSTATUS status = fonts.GetFontTableBody()->BuildValue()) return status;
    if (!IsValid()) throw LNERR_INVALID_RICHTEXT;
    return LNNOERROR;
}

LNSTATUS LNRichTextBody::AppendItems(const LNString* name, std::vector<ItemBlock>* written) {
    const uint32_t extra = LastIndex == 0xFFFF ? 0 : LastIndex + 1;
    if (!IsInNote()) {
        for (uint32_t i = 0; i < extra; ++i) {
            written->push_back(
                ItemBlock{nnotes::NULLBLOCKID, MemBlocks[i].block->GetBlockID(), MemBlocks[i].used, true});
            MemBlocks[i].block.reset();
        }
        return LNNOERROR;
    }
    char itemName[nnotes::MAXITEMNAME + 1];
    uint16_t length = 0;
    uint16_t flags = 0;
    if (const LNSTATUS status = ItemName(name, itemName, &length, &flags)) return status;
    const nnotes::NOTEHANDLE note = GetNoteHandle();
    nnotes::BLOCKID item{};
    if (const nnotes::STATUS status = nnotes::AppendItemByBlock(note, flags, itemName, length,
                                                                GetValueBlockID(), FirstBlockUsed, &item))
        return LNToNotesStatus(status);
    SetValueOwned(false);
    written->push_back(ItemBlock{item, GetValueBlockID(), FirstBlockUsed, false});
    for (uint32_t i = 0; i < extra; ++i) {
        LN_ASSERT(itemName[0] != '\0', "lnrtitem", 2741);
        const nnotes::BLOCKID value = MemBlocks[i].block->GetBlockID();
        if (const nnotes::STATUS status =
                nnotes::AppendItemByBlock(note, flags, itemName, length, value, MemBlocks[i].used, &item))
            return LNToNotesStatus(status);
        MemBlocks[i].block.reset();
        written->push_back(ItemBlock{item, value, MemBlocks[i].used, false});
    }
    return LNNOERROR;
}

LNSTATUS LNRichTextBody::DeleteOldItems() {
    if (IsInNote()) {
        if (const nnotes::STATUS status = nnotes::DeleteItemByBlock(GetNoteHandle(), GetItemBlockID()))
            return LNToNotesStatus(status);
        SetItemBlockID(nnotes::NULLBLOCKID);
        for (const ItemBlock& entry : ItemBlocks)
            if (const nnotes::STATUS status = nnotes::DeleteItemByBlock(GetNoteHandle(), entry.item))
                return LNToNotesStatus(status);
    } else {
        for (const ItemBlock& entry : ItemBlocks)
            if (entry.owned) nnotes::FreeBlock(entry.value.pool);
    }
    ItemBlocks.clear();
    return LNNOERROR;
}

LNSTATUS LNRichTextBody::Flush(const LNString* name) {
    if (name == nullptr && !IsDirty()) return LNNOERROR;
    if (Closed || !IsOpen()) return LNReturnOrThrow(LNERR_ALREADY_CLOSED);
    if (const LNSTATUS status = BuildValue()) return LNReturnOrThrow(status);
    std::vector<ItemBlock> written;
    LNSTATUS status = AppendItems(name, &written);
    // Blocks that did not reach the note are still viewed by objects: they go when the body closes.
    for (OutputBlock& output : MemBlocks)
        if (output.block != nullptr) Orphans.push_back(output.block->GetBlockID().pool);
    if (status != LNNOERROR) {
        // The items already appended go again, so that the note holds the field as it was; the tree
        // keeps its edits for a later Flush.
        for (const ItemBlock& entry : written)
            if (IsInNote()) nnotes::DeleteItemByBlock(GetNoteHandle(), entry.item);
        ResetOutput();
        Top.GetObjectBody()->SetDirty(true);
        return LNReturnOrThrow(status);
    }
    if (const LNSTATUS deleted = DeleteOldItems()) {
        ResetOutput();
        return LNReturnOrThrow(deleted);
    }
    if (IsInNote()) {
        SetItemBlockID(written.front().item);
        written.erase(written.begin());
        GetNoteBody()->SetModified();
    }
    ItemBlocks = std::move(written);
    SetDirty(false);
    ResetOutput();
    FirstBlockUsed = 0;
    return LNNOERROR;
}
