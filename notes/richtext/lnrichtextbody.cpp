#include "ln/lnassert.h"
#include "ln/lncdrecord.h"
#include "ln/lnerrors.h"
#include "ln/lnnote.h"
#include "ln/lnrichtext.h"
#include "ln/lnrtselection.h"
#include "lncompositefactory.h"
#include "nnotes/memblock.h"
#include "nnotes/note.h"
#include "nnotes/status.h"

#include <cstring>

namespace {

// Lives beside the constructor, so that any program that links rich-text bodies lets the note's item
// factory build them before main starts.
[[maybe_unused]] const bool FactoryInstalled = (LNInstallRichTextFactory(), true);

} // namespace

LNRichTextBody::LNRichTextBody(LNNoteBody* note, nnotes::BLOCKID item, uint16_t nsfType, uint16_t flags,
                               nnotes::BLOCKID value, uint32_t size)
    : LNCompositeItemBody(note, item, nsfType, flags, value, size) {}

LNRichTextBody::~LNRichTextBody() {
    if (!Closed) LNRichTextBody::Close();
}

LNSTATUS LNRichTextBody::Close() {
    if (Closed) return LNWARN_NOT_OPEN;
    Closed = 1;
    NonItemFontTable = LNFontTable();
    LNSTATUS status = LNNOERROR;
    if (!Top.IsNull()) status = Top.GetObjectBody()->Close();
    Top = LNRTContainer();
    // The objects are gone: the memory they viewed can go too.
    FreeOwned();
    const LNSTATUS closed = LNCompositeItemBody::Close();
    return LNIsError(status) ? status : closed;
}

void LNRichTextBody::FreeOwned() {
    for (const ItemBlock& entry : ItemBlocks)
        if (entry.owned) nnotes::FreeBlock(entry.value.pool);
    ItemBlocks.clear();
    for (OutputBlock& output : MemBlocks)
        if (output.block != nullptr) Orphans.push_back(output.block->GetBlockID().pool);
    MemBlocks.clear();
    for (const nnotes::DHANDLE pool : Orphans)
        nnotes::FreeBlock(pool);
    Orphans.clear();
}

uint32_t LNRichTextBody::GetValueSize() const {
    uint64_t size = LNItemBody::GetValueSize();
    for (const ItemBlock& entry : ItemBlocks)
        size += entry.length;
    return size > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(size);
}

bool LNRichTextBody::IsItemBlock(nnotes::BLOCKID item) const {
    if (LNItemBody::IsItemBlock(item)) return true;
    for (const ItemBlock& entry : ItemBlocks)
        if (entry.item.pool == item.pool && entry.item.block == item.block) return true;
    return false;
}

bool LNRichTextBody::IsDirty() const {
    if (Closed) return false;
    if (!Top.IsNull() && Top.GetObjectBody()->IsDirty()) return true;
    LNFontTable fonts;
    if (GetFontTable(&fonts) == LNNOERROR && fonts.GetItemBody()->IsDirty()) return true;
    return LNItemBody::IsDirty();
}

bool LNRichTextBody::ShouldCloseOnRelease() const {
    // The tree holds no counted link back to this body: only the last handle's release closes it.
    return !Closed && GetRefCount() <= 1;
}

LNSTATUS LNRichTextBody::AddItemBlock(nnotes::BLOCKID item, nnotes::BLOCKID value, uint32_t length) {
    if (Closed) return LNReturnOrThrow(LNERR_ALREADY_CLOSED);
    ItemBlocks.push_back(ItemBlock{item, value, length, false});
    if (!IsLoaded()) return LNNOERROR;
    // A tree already read takes the item's records at its end; otherwise the next Flush, which replaces
    // every item of the field, would drop them.
    LNRTContainerBody* top = Top.GetContainerBody();
    const bool wasDirty = top->IsDirty();
    LNRTObject last;
    if (top->HasChildren())
        if (const LNSTATUS status = top->GetLastChild(&last)) return LNReturnOrThrow(status);
    LNFontTable fonts;
    GetFontTable(&fonts);
    if (const LNSTATUS status = LoadValue(value, length, fonts, &last)) return LNReturnOrThrow(status);
    return wasDirty ? LNNOERROR : LNReturnOrThrow(top->SetDirty(false));
}

LNSTATUS LNRichTextBody::GetItemBlock(uint32_t index, nnotes::BLOCKID* item, nnotes::BLOCKID* value,
                                      uint32_t* length) const {
    if (index >= ItemBlocks.size()) return LNWARN_NOT_FOUND;
    if (item != nullptr) *item = ItemBlocks[index].item;
    if (value != nullptr) *value = ItemBlocks[index].value;
    if (length != nullptr) *length = ItemBlocks[index].length;
    return LNNOERROR;
}

LNSTATUS LNRichTextBody::SetItemBlock(uint32_t index, nnotes::BLOCKID item, nnotes::BLOCKID value,
                                      uint32_t length) {
    if (index >= ItemBlocks.size()) return LNERR_SUBSCRIPT_OUT_OF_RANGE;
    ItemBlocks[index].item = item;
    ItemBlocks[index].value = value;
    ItemBlocks[index].length = length;
    return LNNOERROR;
}

LNSTATUS LNRichTextBody::GetItemBlocks(std::vector<nnotes::BLOCKID>* items, uint32_t* count) const {
    if (items == nullptr || count == nullptr) return LNERR_INVALID_PARAMETER;
    items->clear();
    for (const ItemBlock& entry : ItemBlocks)
        items->push_back(entry.item);
    *count = static_cast<uint32_t>(ItemBlocks.size());
    return LNNOERROR;
}

bool LNRichTextBody::IsValid() const {
    if (Closed || Top.IsNull()) return false;
    if (IsInNote() && !NonItemFontTable.IsNull()) return false;
    return Top.IsValid();
}

LNSTATUS LNRichTextBody::Ready() {
    if (Closed) return LNERR_ALREADY_CLOSED;
    if (!IsLoaded())
        if (const LNSTATUS status = Load()) return status;
    if (!IsValid()) throw LNERR_INVALID_RICHTEXT;
    return LNNOERROR;
}

LNSTATUS LNRichTextBody::GetFontTable(LNFontTable* table) const {
    if (Closed) return LNERR_ALREADY_CLOSED;
    *table = LNFontTable();
    if (IsInNote()) {
        LN_ASSERT(NonItemFontTable.IsNull(), "lnrtitem", 801);
        if (!IsNoteOpen()) return LNWARN_NOT_FOUND;
        // Found by the store's item, not by asking every body of the note for its name.
        const auto length = static_cast<uint16_t>(std::strlen(LNFONTTABLE_ITEM));
        nnotes::BLOCKID item{};
        LNItem found;
        if (nnotes::FindItemByName(GetNoteHandle(), LNFONTTABLE_ITEM, length, &item, nullptr, nullptr,
                                   nullptr) == nnotes::NOERROR &&
            GetNoteBody()->FindItemBodyByBlock(item, &found) == LNNOERROR &&
            found.GetItemBody()->GetClassID() == LNCLASSID_LNFONTTABLEBODY)
            *table = static_cast<LNFontTableBody*>(found.GetItemBody());
    } else {
        *table = NonItemFontTable;
    }
    return table->IsNull() ? LNWARN_NOT_FOUND : LNNOERROR;
}

LNSTATUS LNRichTextBody::LoadValue(nnotes::BLOCKID value, uint32_t size, const LNFontTable& fonts,
                                   LNRTObject* last) {
    if (value.pool == nnotes::NULLHANDLE || size == 0) return LNNOERROR;
    // Record views name their bytes by 16-bit block offsets.
    if (size < 2 || uint32_t{value.block} + size > 0xFFFFu + 1u) return LNERR_CORRUPTED;
    const uint8_t* bytes = MemoryBlockLockCache::Lock(value.pool, value.block);
    if (bytes == nullptr) return LNERR_CORRUPTED;
    LNRTContainerBody* top = Top.GetContainerBody();
    const LNSTATUS status = LNWalkCDRecords(
        bytes + 2, size - 2, [&](uint32_t offset, const LNCDRecordHeader& header, uint32_t span) -> LNSTATUS {
            const uint32_t at = value.block + 2u + offset;
            if (at + span > 0xFFFFu + 1u) return LNERR_CORRUPTED;
            LNRTObject object;
            try {
                object.SetObjectBody(LNRTObjectBody::FromRecord(header.signature, value.pool,
                                                                static_cast<uint16_t>(at), span, fonts));
            } catch (LNSTATUS thrown) {
                return thrown;
            }
            // Records arrive in order: each goes after the one before, not through a walk to the end.
            const LNSTATUS linked =
                last->IsNull() ? top->AppendChild(&object) : last->GetObjectBody()->InsertAfter(&object);
            *last = object;
            return linked;
        });
    MemoryBlockLockCache::Release();
    return status;
}

LNSTATUS LNRichTextBody::Load() {
    if (Closed) return LNERR_CORRUPTED;
    auto* top = new LNRTContainerBody();
    Top = LNRTObject(top);
    top->AttachToRichText(this);
    LNFontTable fonts;
    LNSTATUS status = GetFontTable(&fonts);
    if (status == LNWARN_NOT_FOUND) status = LNNOERROR;
    LNRTObject last;
    if (status == LNNOERROR) status = LoadValue(GetValueBlockID(), LNItemBody::GetValueSize(), fonts, &last);
    for (size_t i = 0; status == LNNOERROR && i < ItemBlocks.size(); ++i)
        status = LoadValue(ItemBlocks[i].value, ItemBlocks[i].length, fonts, &last);
    last = LNRTObject();
    if (status != LNNOERROR) {
        // A value that cannot be read whole is not loaded at all.
        top->Close();
        Top = LNRTContainer();
        return status;
    }
    return top->SetDirty(false);
}

LNSTATUS LNRichTextBody::GetText(LNString* text) {
    if (text == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    if (const LNSTATUS status = Ready()) return LNReturnOrThrow(status);
    return LNReturnOrThrow(Top.GetObjectBody()->GetText(text));
}

LNSTATUS LNRichTextBody::Append(const LNString& text) {
    if (const LNSTATUS status = Ready()) return LNReturnOrThrow(status);
    return LNReturnOrThrow(Top.GetContainerBody()->Append(text));
}

LNSTATUS LNRichTextBody::Append(LNRichTextBody* other) {
    if (other == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    if (const LNSTATUS status = Ready()) return LNReturnOrThrow(status);
    if (other != this)
        if (const LNSTATUS status = other->Ready()) return LNReturnOrThrow(status);
    if (const LNSTATUS status = Top.GetContainerBody()->AppendChildrenOf(other->Top.GetContainerBody()))
        return LNReturnOrThrow(status);
    return LNReturnOrThrow(AdoptRunFonts(Top.GetObjectBody()));
}

LNSTATUS LNRichTextBody::Append(const LNRTObject& object) {
    if (const LNSTATUS status = Ready()) return LNReturnOrThrow(status);
    if (const LNSTATUS status = Top.GetContainerBody()->Append(object)) return LNReturnOrThrow(status);
    return LNReturnOrThrow(AdoptRunFonts(Top.GetObjectBody()));
}

LNSTATUS LNRichTextBody::RemoveChild(LNRTObject* object) {
    if (const LNSTATUS status = Ready()) return LNReturnOrThrow(status);
    return LNReturnOrThrow(Top.GetContainerBody()->RemoveChild(object));
}

LNSTATUS LNRichTextBody::GetFirstChild(LNRTObject* out) {
    if (out == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    if (const LNSTATUS status = Ready()) return LNReturnOrThrow(status);
    return Top.GetContainerBody()->GetFirstChild(out);
}

LNSTATUS LNRichTextBody::GetRTContainer(LNRTContainer* out) {
    if (out == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    if (const LNSTATUS status = Ready()) return LNReturnOrThrow(status);
    *out = Top;
    return LNNOERROR;
}

LNSTATUS LNRichTextBody::Assign(LNRichTextBody* other) {
    LN_ASSERT(other != nullptr, "lnrtitem", 1501);
    if (other == this) return LNERR_INVALID_PARAMETER;
    if (Closed || other->Closed) return LNERR_ALREADY_CLOSED;
    if (!ItemBlocks.empty()) return LNERR_UNEXPECTED_CALLED;
    if (const LNSTATUS status = other->Ready()) return status;
    NonItemFontTable = other->NonItemFontTable;
    if (!Top.IsNull()) Top.GetObjectBody()->Close();
    Top = LNRTContainer();
    LNRTObject copy;
    if (const LNSTATUS status = copy.CopyObject(other->Top, true)) return status;
    Top = copy;
    Top.GetContainerBody()->AttachToRichText(this);
    return Top.GetObjectBody()->SetDirty(true);
}

LNSTATUS LNRichTextBody::CopySelection(const RTSelection& selection) {
    if (const LNSTATUS status = Ready()) return status;
    LNRTObjectBody* container = selection.Container.GetObjectBody();
    if (container == nullptr) return LNERR_INVALID_SELECTION;
    LNRTObject copy;
    if (!container->IsType(LNRTTYPE_CONTAINER) || container->IsType(LNRTTYPE_STYLIZED_TEXT)) {
        // One object selected whole: it is the one child.
        if (const LNSTATUS status = copy.CopyObject(LNRTObject(container), true)) return status;
        return Top.GetContainerBody()->AppendChild(&copy);
    }
    if (const LNSTATUS status = copy.CopyObject(LNRTObject(container), false)) return status;
    Top.GetObjectBody()->Close();
    Top = copy;
    Top.GetContainerBody()->AttachToRichText(this);
    if (!container->HasChildren()) return LNNOERROR;
    return Top.GetContainerBody()->CopyChildrenInSelection(selection, container, nullptr);
}

LNSTATUS LNRichTextBody::NewFromSelection(const RTSelection& selection, LNRichText* out) {
    if (out == nullptr) return LNERR_INVALID_PARAMETER;
    LNRichText copy;
    copy.SetItemBody(nullptr, new LNRichTextBody());
    if (const LNSTATUS status = copy.GetRichTextBody()->CopySelection(selection)) return status;
    *out = copy;
    return LNNOERROR;
}
