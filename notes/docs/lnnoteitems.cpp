// The items of an open note: the factory that builds one typed body per item when the item is first asked
// for (every item's, when something needs them all), item lookup, and the operations that create, copy,
// delete and rename items.
#include "ln/lncompositehook.h"
#include "ln/lndatetimeranges.h"
#include "ln/lndatetimes.h"
#include "ln/lnerrors.h"
#include "ln/lnitemarray.h"
#include "ln/lnnote.h"
#include "ln/lnnumbers.h"
#include "ln/lnstringcompare.h"
#include "ln/lntext.h"
#include "nnotes/memblock.h"
#include "nnotes/note.h"
#include "nnotes/status.h"
#include "nnotes/textlist.h"
#include "util/coding.h"

#include <cstring>
#include <vector>

namespace {

const char* Chars(const LNString& text) {
    return reinterpret_cast<const char*>(text.GetTextPtr());
}

uint16_t Length(const LNString& text) {
    return static_cast<uint16_t>(text.GetByteLength());
}

// Item names are at most MAXITEMNAME bytes; an empty one names nothing.
bool IsValidName(const LNString& name) {
    return !name.IsEmpty() && name.GetByteLength() <= nnotes::MAXITEMNAME;
}

// The range-entry count of a TYPE_TIME_RANGE value (its third 16-bit word); 0 when the value is too short.
uint16_t RangeEntries(nnotes::BLOCKID value, uint32_t size) {
    if (size < 6) return 0;
    const auto* at = static_cast<const uint8_t*>(nnotes::LockBlock(value.pool));
    if (at == nullptr) return 0;
    const uint16_t ranges = util::DecodeFixed16(at + value.block + 4);
    nnotes::UnlockBlock(value.pool);
    return ranges;
}

// The name of an item, cut to MAXITEMNAME bytes; *length gets its whole length.
LNSTATUS ItemName(nnotes::NOTEHANDLE note, nnotes::BLOCKID item, char (&name)[nnotes::MAXITEMNAME + 1],
                  uint16_t* length) {
    return LNToNotesStatus(
        nnotes::QueryItemByBlock(note, item, name, sizeof name, length, nullptr, nullptr, nullptr, nullptr));
}

// A composite item is the font table when its name is "$Fonts", byte for byte. A leading part of that name
// ("$Fo") names rich text like any other: taken for the font table, its text would be written over.
bool IsFontTableName(const char* name, uint16_t length) {
    static constexpr char kFonts[] = "$Fonts";
    return length == sizeof kFonts - 1 && std::memcmp(name, kFonts, length) == 0;
}

// A copy of size bytes of a value in a new block.
LNSTATUS CopyValueBlock(LNItemBody* body, nnotes::BLOCKID* copy) {
    const uint32_t size = body->GetValueSize();
    nnotes::DHANDLE block = nnotes::NULLHANDLE;
    if (size == 0) return LNERR_ITEM_NOT_DEFINED;
    if (const nnotes::STATUS status = nnotes::AllocateBlock(0, size, &block)) return LNToNotesStatus(status);
    std::memcpy(nnotes::LockBlock(block), body->LockValue(), size);
    body->UnlockValue();
    nnotes::UnlockBlock(block);
    *copy = nnotes::BLOCKID{block, 0};
    return LNNOERROR;
}

// Writes out what a value about to be copied holds pending. Its body forgets the change then, while the
// note it is an item of has not stored it yet: the note takes the change over until its next save.
LNSTATUS FlushPending(LNItemBody* body) {
    if (!body->IsDirty()) return LNNOERROR;
    if (LNNoteBody* note = body->GetNoteBody()) note->SetModified();
    return body->Flush(nullptr);
}

// One further item of a rich-text field.
struct Segment {
    nnotes::BLOCKID item;
    nnotes::BLOCKID value;
    uint32_t length;
};

bool IsRichText(const LNItemBody* body) {
    return body != nullptr && body->GetClassID() == LNCLASSID_LNRICHTEXTBODY;
}

// The further items of a rich-text field in item order; none for any other body.
std::vector<Segment> FurtherItems(const LNItemBody* body) {
    std::vector<Segment> segments;
    const LNCompositeItemHooks* hooks = LNGetCompositeItemHooks();
    if (hooks == nullptr || !IsRichText(body)) return segments;
    Segment segment{};
    for (uint32_t i = 0;
         hooks->GetItemBlock(body, i, &segment.item, &segment.value, &segment.length) == LNNOERROR; ++i)
        segments.push_back(segment);
    return segments;
}

// Appends a copy of size bytes of a value (type word first) as an item of name; *item gets the new item.
nnotes::STATUS AppendCopy(nnotes::NOTEHANDLE note, uint16_t flags, const LNString& name,
                          nnotes::BLOCKID value, uint32_t size, nnotes::BLOCKID* item) {
    if (value.pool == nnotes::NULLHANDLE || size < 2) return nnotes::ERR_ITEM_NOT_FOUND;
    nnotes::DHANDLE block = nnotes::NULLHANDLE;
    if (const nnotes::STATUS status = nnotes::AllocateBlock(0, size, &block)) return status;
    const auto* from = static_cast<const uint8_t*>(nnotes::LockBlock(value.pool));
    std::memcpy(nnotes::LockBlock(block), from + value.block, size);
    nnotes::UnlockBlock(value.pool);
    nnotes::UnlockBlock(block);
    const nnotes::STATUS status = nnotes::AppendItemByBlock(note, flags, Chars(name), Length(name),
                                                            nnotes::BLOCKID{block, 0}, size, item);
    if (status != nnotes::NOERROR) nnotes::FreeBlock(block);
    return status;
}

// The items just appended join field, in item order, as further items of the rich-text field.
LNSTATUS JoinItems(nnotes::NOTEHANDLE handle, const std::vector<nnotes::BLOCKID>& items, LNItemBody* field) {
    const LNCompositeItemHooks* hooks = LNGetCompositeItemHooks();
    for (const nnotes::BLOCKID& item : items) {
        nnotes::BLOCKID value{};
        uint32_t size = 0;
        if (const nnotes::STATUS status =
                nnotes::QueryItemByBlock(handle, item, nullptr, 0, nullptr, nullptr, nullptr, &value, &size))
            return LNToNotesStatus(status);
        if (const LNSTATUS joined = hooks->AddItemBlock(field, item, value, size)) return joined;
    }
    return LNNOERROR;
}

// Deletes items just appended that no body stands for, so that a failed creation leaves the note as it was.
void DeleteAppended(nnotes::NOTEHANDLE handle, const std::vector<nnotes::BLOCKID>& items) {
    for (const nnotes::BLOCKID& item : items)
        nnotes::DeleteItemByBlock(handle, item);
}

// The rich-text body of name in the note, if any.
LNItemBody* RichTextNamed(const LNNoteBody* note, const LNString& name) {
    LNItemBody* body = note->FindItemBodyByName(name, nnotes::TYPE_COMPOSITE);
    return IsRichText(body) ? body : nullptr;
}

// After the items of a rich-text field were appended (appended, in item order): existing (a rich text of the
// name that was here before) takes them all; else adoptFirst builds the body of the first one and the rest
// join it. typed, if given, takes the field's body. When the first body cannot be made, none of the items
// stays.
template <typename AdoptFirst>
LNSTATUS AdoptRichText(LNNoteBody* note, nnotes::NOTEHANDLE handle, std::vector<nnotes::BLOCKID> appended,
                       LNItemBody* existing, LNItem* typed, AdoptFirst adoptFirst) {
    LNItemBody* field = existing;
    if (field == nullptr) {
        const nnotes::BLOCKID first = appended.front();
        appended.erase(appended.begin());
        if (const LNSTATUS status = adoptFirst(first)) {
            DeleteAppended(handle, appended);
            return status;
        }
        LNItem made;
        if (note->FindItemBodyByBlock(first, &made) != LNNOERROR || !IsRichText(made.GetItemBody()))
            return LNNOERROR;
        field = made.GetItemBody();
    }
    if (const LNSTATUS status = JoinItems(handle, appended, field)) return status;
    note->SetModified();
    return existing != nullptr && typed != nullptr
               ? note->FindItemBodyByBlock(existing->GetItemBlockID(), typed)
               : LNNOERROR;
}

// The items of source were copied to the end of the rich-text field name (existing, when it was here
// before): their runs name faces by source's font table, which this note's must take over.
LNSTATUS AdoptCopiedFonts(LNNoteBody* note, const LNString& name, LNItemBody* existing,
                          const LNItemBody* source) {
    const LNCompositeItemHooks* hooks = LNGetCompositeItemHooks();
    LNItemBody* field = existing != nullptr ? existing : RichTextNamed(note, name);
    if (field == nullptr || hooks == nullptr || hooks->AdoptFonts == nullptr) return LNNOERROR;
    return hooks->AdoptFonts(field, source);
}

// Deletes the item of a body, and every further item of a rich-text field; the body forgets its item.
LNSTATUS DeleteItemsOf(nnotes::NOTEHANDLE note, LNItemBody* body) {
    const std::vector<Segment> further = FurtherItems(body);
    if (const nnotes::STATUS status = nnotes::DeleteItemByBlock(note, body->GetItemBlockID()))
        return LNToNotesStatus(status);
    body->SetItemBlockID(nnotes::NULLBLOCKID);
    for (const Segment& segment : further) {
        if (const nnotes::STATUS status = nnotes::DeleteItemByBlock(note, segment.item))
            return LNToNotesStatus(status);
    }
    return LNNOERROR;
}

// Items of these types are found by name among the note's bodies (a rich text of the name takes the new
// items, the first "$Fonts" is the font table): before one is made, every item gets its body.
bool JoinsByName(LNITEMTYPE type) {
    return type == LNITEMTYPE_RICHTEXT || type == LNITEMTYPE_FONTTABLE;
}

// Whether a typed handle may hold a body of the type (a plain LNItem holds any).
bool Fits(const LNItem* handle, LNITEMTYPE type) {
    if (handle == nullptr || handle->GetClassID() == LNCLASSID_LNITEM) return true;
    LNITEMTYPE wanted = 0;
    LNItemTypeForClass(handle->GetClassID(), &wanted, nullptr);
    return wanted == type;
}

} // namespace

LNSTATUS LNNoteBody::QueryItem(nnotes::BLOCKID item, NewItem* found) const {
    found->item = item;
    return LNToNotesStatus(nnotes::QueryItemByBlock(Handle, item, nullptr, 0, nullptr, &found->flags,
                                                    &found->nsfType, &found->value, &found->size));
}

LNItemBody* LNNoteBody::NewItemBody(LNITEMTYPE type, const NewItem& item) {
    switch (type) {
    case LNITEMTYPE_TEXT:
        return new LNTextBody(this, item.item, item.nsfType, item.flags, item.value, item.size);
    case LNITEMTYPE_NUMBERS:
        return new LNNumbersBody(this, item.item, item.nsfType, item.flags, item.value, item.size);
    case LNITEMTYPE_DATETIMERANGES:
        return new LNDatetimeRangesBody(this, item.item, item.nsfType, item.flags, item.value, item.size);
    case LNITEMTYPE_DATETIMES:
        if (item.nsfType == nnotes::TYPE_TIME_RANGE && RangeEntries(item.value, item.size) != 0)
            return new LNDatetimeRangesBody(this, item.item, item.nsfType, item.flags, item.value, item.size);
        return new LNDatetimesBody(this, item.item, item.nsfType, item.flags, item.value, item.size);
    case LNITEMTYPE_RICHTEXT:
    case LNITEMTYPE_FONTTABLE:
        if (const LNCompositeItemHooks* hooks = LNGetCompositeItemHooks())
            return hooks->NewBody(type, this, item.item, item.nsfType, item.flags, item.value, item.size);
        return new LNItemBody(this, item.item, item.nsfType, item.flags, item.value, item.size);
    default:
        return new LNItemBody(this, item.item, item.nsfType, item.flags, item.value, item.size);
    }
}

LNSTATUS LNNoteBody::AddItemBody(LNItemBody* body) {
    body->AddReference();
    if (const LNSTATUS status = Items.AddObject(body, body->GetItemBlockID().block)) {
        body->ReleaseReference();
        delete body;
        return status;
    }
    return LNNOERROR;
}

namespace {

bool Contains(const std::vector<nnotes::BLOCKID>& blocks, nnotes::BLOCKID item) {
    for (const nnotes::BLOCKID& b : blocks)
        if (b.pool == item.pool && b.block == item.block) return true;
    return false;
}

} // namespace

std::vector<nnotes::BLOCKID> LNNoteBody::GetItemBlocks() const {
    // The callers bind bodies to the items not among these afterwards, as items new since: every item
    // here must have its body by then.
    if (const LNSTATUS status = const_cast<LNNoteBody*>(this)->BindAllItems()) throw status;
    std::vector<nnotes::BLOCKID> blocks;
    nnotes::BLOCKID item{};
    for (nnotes::STATUS status = nnotes::FindItemByName(Handle, nullptr, 0, &item, nullptr, nullptr, nullptr);
         status == nnotes::NOERROR;
         status = nnotes::FindNextItemByName(Handle, nullptr, 0, item, &item, nullptr, nullptr, nullptr))
        blocks.push_back(item);
    return blocks;
}

LNSTATUS LNNoteBody::AdoptItemsExcept(const std::vector<nnotes::BLOCKID>& known) {
    GetNoteHandle();
    const LNSTATUS status = LoadItems(&known, true);
    Modified = 1;
    return status;
}

LNSTATUS LNNoteBody::DeleteItemsExcept(const std::vector<nnotes::BLOCKID>& known) {
    GetNoteHandle();
    if (const LNSTATUS status = BindAllItems()) return LNReturnOrThrow(status);
    // Items with bodies go through their bodies (every segment of rich text with them)...
    for (LNNotesClass* object = Items.GetLastObject(); object != nullptr;) {
        auto* body = static_cast<LNItemBody*>(object);
        object = Items.GetPreviousObject(object);
        bool kept = false;
        for (const nnotes::BLOCKID& b : known)
            kept = kept || body->IsItemBlock(b);
        if (kept) continue;
        LNItem handle;
        handle.SetItemBody(this, body);
        if (const LNSTATUS status = DeleteItem(&handle)) return status;
    }
    // ...and any left without one straight from the note.
    for (const nnotes::BLOCKID& item : GetItemBlocks()) {
        if (Contains(known, item)) continue;
        if (const nnotes::STATUS status = nnotes::DeleteItemByBlock(Handle, item))
            return LNReturnOrThrowNotesStatus(status);
        Modified = 1;
    }
    return LNNOERROR;
}

LNSTATUS LNNoteBody::LoadItems(const std::vector<nnotes::BLOCKID>* known, bool appended) {
    const LNCompositeItemHooks* hooks = LNGetCompositeItemHooks();
    NewItem item{};
    nnotes::STATUS status = nnotes::FindItemByName(Handle, nullptr, 0, &item.item, nullptr, nullptr, nullptr);
    if (status == nnotes::NOERROR) {
        if (const LNSTATUS queried = QueryItem(item.item, &item)) return queried;
    }
    // Steps on to the next item; further composite items of a rich-text field already met join its body,
    // in item order. body is the one just built (null after an item passed over): items appended since
    // join only a field that is new as well.
    const auto joinFurther = [&](const LNItemBody* body) -> LNSTATUS {
        for (;;) {
            status = nnotes::FindNextItemByName(Handle, nullptr, 0, item.item, &item.item, nullptr, nullptr,
                                                nullptr);
            if (status != nnotes::NOERROR) return LNNOERROR;
            if (const LNSTATUS queried = QueryItem(item.item, &item)) return queried;
            if (item.nsfType != nnotes::TYPE_COMPOSITE || hooks == nullptr) return LNNOERROR;
            if (known != nullptr && Contains(*known, item.item)) return LNNOERROR;
            char name[nnotes::MAXITEMNAME + 1] = {};
            uint16_t length = 0;
            if (const LNSTATUS named = ItemName(Handle, item.item, name, &length)) return named;
            LNItemBody* field = BoundBodyByName(LNString(name), nnotes::TYPE_COMPOSITE);
            if (appended && field != body) return LNNOERROR;
            if (field == nullptr || field->GetClassID() != LNCLASSID_LNRICHTEXTBODY) return LNNOERROR;
            if (const LNSTATUS joined = hooks->AddItemBlock(field, item.item, item.value, item.size))
                return joined;
        }
    };
    while (status == nnotes::NOERROR) {
        // Items already bound to bodies are passed over when only the new ones are wanted; a later item of
        // a field that follows one of them still joins the field, as it does at the note's open.
        if (known != nullptr && Contains(*known, item.item)) {
            if (const LNSTATUS joined = joinFurther(nullptr)) return joined;
            continue;
        }
        LNITEMTYPE type = LNItemTypeFromNSFType(item.nsfType, item.flags, LNCLASSID_LNITEMBODY);
        char name[nnotes::MAXITEMNAME + 1] = {};
        uint16_t length = 0;
        if (type == LNITEMTYPE_RICHTEXT && hooks != nullptr) {
            if (const LNSTATUS named = ItemName(Handle, item.item, name, &length)) return named;
            // A note has one font table; a further "$Fonts" item is damage, kept as a plain item so that
            // the note still opens.
            if (IsFontTableName(name, length))
                type = FontTable == nullptr ? LNITEMTYPE_FONTTABLE : LNITEMTYPE_UNSUPPORTED;
        }
        LNItemBody* body = NewItemBody(type, item);
        if (type == LNITEMTYPE_FONTTABLE) FontTable = body;
        if (const LNSTATUS added = AddItemBody(body)) {
            if (body == FontTable) FontTable = nullptr;
            throw added;
        }
        if (const LNSTATUS joined = joinFurther(body)) return joined;
    }
    if (nnotes::ERR(status) != nnotes::ERR_ITEM_NOT_FOUND) return LNToNotesStatus(status);
    if (known == nullptr) Modified = 0;
    return LNNOERROR;
}

void LNNoteBody::DeferItems() {
    AllItemsBound = false;
    Modified = 0;
}

LNSTATUS LNNoteBody::BindItem(nnotes::BLOCKID item) {
    NewItem found{};
    if (const LNSTATUS status = QueryItem(item, &found)) return status;
    // The items of a rich-text field share one body, and the font table is found by name: those are bound
    // by the walk over every item, which knows them.
    if (found.nsfType == nnotes::TYPE_COMPOSITE) return BindAllItems();
    const LNITEMTYPE type = LNItemTypeFromNSFType(found.nsfType, found.flags, LNCLASSID_LNITEMBODY);
    return AddItemBody(NewItemBody(type, found));
}

LNSTATUS LNNoteBody::BindAllItems() {
    if (AllItemsBound) return LNNOERROR;
    AllItemsBound = true;
    std::vector<nnotes::BLOCKID> bound;
    for (LNNotesClass* object = Items.GetFirstObject(); object != nullptr;
         object = Items.GetNextObject(object)) {
        auto* body = static_cast<LNItemBody*>(object);
        if (body->IsUnstored()) continue;
        bound.push_back(body->GetItemBlockID());
        for (const Segment& segment : FurtherItems(body))
            bound.push_back(segment.item);
    }
    // Only items outside rich text have bodies before this (see BindItem and the creation of rich text),
    // so the walk joins the items of each field as the note's open would.
    return LoadItems(&bound, false);
}

const LNObjectList& LNNoteBody::GetItemList() const {
    if (const LNSTATUS status = const_cast<LNNoteBody*>(this)->BindAllItems()) throw status;
    return Items;
}

LNItemBody* LNNoteBody::GetFontTableBody() const {
    if (IsOpen())
        if (const LNSTATUS status = const_cast<LNNoteBody*>(this)->BindAllItems()) throw status;
    return FontTable;
}

uint32_t LNNoteBody::GetItemCount() const {
    GetNoteHandle();
    if (const LNSTATUS status = const_cast<LNNoteBody*>(this)->BindAllItems()) throw status;
    uint32_t count = 0;
    for (LNNotesClass* object = Items.GetFirstObject(); object != nullptr;
         object = Items.GetNextObject(object))
        ++count;
    return count;
}

LNItemBody* LNNoteBody::BoundBodyOf(nnotes::BLOCKID item) const {
    for (LNNotesClass* object = Items.GetFirstObject(); object != nullptr;
         object = Items.GetNextObject(object)) {
        auto* body = static_cast<LNItemBody*>(object);
        if (body->IsItemBlock(item)) return body;
    }
    return nullptr;
}

LNSTATUS LNNoteBody::FindItemBodyByBlock(nnotes::BLOCKID item, LNItem* handle) const {
    LNItemBody* body = BoundBodyOf(item);
    if (body == nullptr && !AllItemsBound && IsOpen()) {
        // An item of the note that nobody asked for yet. A block that is none of the note's items is no
        // match, as it would be with every body built.
        if (const_cast<LNNoteBody*>(this)->BindItem(item) != LNNOERROR) return LNERR_NO_MATCH;
        body = BoundBodyOf(item);
    }
    if (body == nullptr) return LNERR_NO_MATCH;
    if (handle == nullptr) return LNNOERROR;
    if (!Fits(handle, body->GetType())) return LNERR_INVALID_PARAMETER;
    handle->SetItemBody(const_cast<LNNoteBody*>(this), body);
    return LNNOERROR;
}

LNItemBody* LNNoteBody::FindItemBodyByName(const LNString& name, uint16_t nsfType) const {
    if (IsOpen())
        if (const LNSTATUS status = const_cast<LNNoteBody*>(this)->BindAllItems()) throw status;
    return BoundBodyByName(name, nsfType);
}

LNItemBody* LNNoteBody::BoundBodyByName(const LNString& name, uint16_t nsfType) const {
    for (LNNotesClass* object = Items.GetFirstObject(); object != nullptr;
         object = Items.GetNextObject(object)) {
        auto* body = static_cast<LNItemBody*>(object);
        if (body->GetNSFType() == nsfType && LNStringCompare(body->GetName(), name, 0) == 0) return body;
    }
    return nullptr;
}

LNSTATUS LNNoteBody::GetItem(const LNString& name, LNItem* item) {
    if (!IsOpen()) return LNReturnOrThrow(LNERR_NOTE_NOT_OPEN);
    if (!IsValidName(name) || item == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    nnotes::BLOCKID found{};
    if (const nnotes::STATUS status =
            nnotes::FindItemByName(Handle, Chars(name), Length(name), &found, nullptr, nullptr, nullptr))
        return LNReturnOrThrowNotesStatus(status);
    return LNReturnOrThrow(FindItemBodyByBlock(found, item));
}

bool LNNoteBody::HasItem(const LNString& name) {
    if (!IsOpen()) throw LNERR_NOTE_NOT_OPEN;
    if (!IsValidName(name)) throw LNERR_INVALID_PARAMETER;
    return nnotes::FindItemByName(Handle, Chars(name), Length(name), nullptr, nullptr, nullptr, nullptr) ==
           nnotes::NOERROR;
}

LNSTATUS LNNoteBody::ApplyDuplicateRule(const LNString& name, uint32_t duplicateRule,
                                        const LNItemBody* value) {
    if (!HasItem(name)) return LNNOERROR;
    if (duplicateRule == LNITEMDUP_REFUSE) return LNERR_ITEM_EXISTS;
    if (duplicateRule != LNITEMDUP_REPLACE) return LNNOERROR;
    // Replacing an item by itself would delete the value being copied.
    if (value != nullptr && value->GetNoteBody() == this && LNStringCompare(value->GetName(), name, 1) == 0)
        return LNERR_INVALID_PARAMETER;
    return DeleteItem(name);
}

LNSTATUS LNNoteBody::AdoptNewItem(nnotes::BLOCKID appended, LNITEMTYPE type, LNItem* typed) {
    // The body is bound to the very item that was appended, never to another of its name that has none.
    NewItem item{};
    LNItemBody* body = nullptr;
    LNSTATUS status = LNNOERROR;
    try {
        status = QueryItem(appended, &item);
        if (status == LNNOERROR) body = NewItemBody(type, item);
        if (body != nullptr) {
            // A refused body is deleted by AddItemBody.
            status = AddItemBody(body);
            if (status != LNNOERROR) body = nullptr;
        }
    } catch (LNSTATUS thrown) {
        status = thrown;
    }
    if (status != LNNOERROR) {
        // An item without a body would be written with the note, unseen by this layer: it goes again.
        nnotes::DeleteItemByBlock(Handle, appended);
        return status;
    }
    if (type == LNITEMTYPE_FONTTABLE && FontTable == nullptr) FontTable = body;
    Modified = 1;
    // Handed out through the lookup, which gives a typed handle only a body of its own kind.
    if (typed == nullptr) return LNNOERROR;
    const LNSTATUS handed = FindItemBodyByBlock(item.item, typed);
    if (handed != LNNOERROR) {
        LNItem made;
        made.SetItemBody(this, body);
        DeleteItem(&made);
    }
    return handed;
}

LNSTATUS LNNoteBody::CreateItem(const LNString& name, const LNItem& value, uint16_t flags,
                                uint32_t duplicateRule, LNItem* typed) {
    if (!IsOpen()) return LNReturnOrThrow(LNERR_NOTE_NOT_OPEN);
    LNItemBody* body = value.GetItemBody();
    if (!IsValidName(name) || body == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    const LNITEMTYPE type = body->GetType();
    if (!Fits(typed, type)) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    if (JoinsByName(type))
        if (const LNSTATUS status = BindAllItems()) return LNReturnOrThrow(status);
    if (!body->IsOpen() || body->IsUnstored()) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    if (const LNSTATUS status = FlushPending(body)) return LNReturnOrThrow(status);
    // A free-standing rich text has its value only once it is flushed.
    if (body->GetValueBlockID().pool == nnotes::NULLHANDLE) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    if (const LNSTATUS status = ApplyDuplicateRule(name, duplicateRule, body)) return LNReturnOrThrow(status);
    if (IsRichText(body) && LNGetCompositeItemHooks() != nullptr) {
        // Every item of the field is copied, in order; a rich text of the name already here takes them.
        LNItemBody* existing = RichTextNamed(this, name);
        std::vector<nnotes::BLOCKID> appended(1);
        nnotes::STATUS status = AppendCopy(Handle, flags, name, body->GetValueBlockID(),
                                           body->LNItemBody::GetValueSize(), &appended.back());
        for (const Segment& segment : FurtherItems(body)) {
            if (status != nnotes::NOERROR) break;
            appended.emplace_back();
            status = AppendCopy(Handle, flags, name, segment.value, segment.length, &appended.back());
        }
        if (status != nnotes::NOERROR) {
            appended.pop_back();
            DeleteAppended(Handle, appended);
            return LNReturnOrThrowNotesStatus(status);
        }
        if (const LNSTATUS adopted =
                AdoptRichText(this, Handle, appended, existing, typed, [&](nnotes::BLOCKID first) {
                    return AdoptNewItem(first, LNITEMTYPE_RICHTEXT, typed);
                }))
            return LNReturnOrThrow(adopted);
        return LNReturnOrThrow(AdoptCopiedFonts(this, name, existing, body));
    }
    nnotes::BLOCKID appended{};
    if (body->IsInNote()) {
        nnotes::BLOCKID copy{};
        if (const LNSTATUS status = CopyValueBlock(body, &copy)) return LNReturnOrThrow(status);
        if (const nnotes::STATUS status = nnotes::AppendItemByBlock(Handle, flags, Chars(name), Length(name),
                                                                    copy, body->GetValueSize(), &appended)) {
            nnotes::FreeBlock(copy.pool);
            return LNReturnOrThrowNotesStatus(status);
        }
    } else {
        // A detached value is always a list; a single value is stored without its list header.
        uint16_t nsfType = body->GetNSFType();
        const uint32_t size = body->GetValueSize();
        if (size < 4) return LNReturnOrThrow(LNERR_CORRUPTED);
        const uint8_t* at = body->LockValue();
        // An emptied number or time list holds no single value: it is stored as the empty list, as an empty
        // text is stored as the empty text.
        if ((nsfType == nnotes::TYPE_NUMBER || nsfType == nnotes::TYPE_TIME) && size >= 6 &&
            util::DecodeFixed16(at + 2) == 0 && util::DecodeFixed16(at + 4) == 0)
            nsfType = nsfType == nnotes::TYPE_NUMBER ? nnotes::TYPE_NUMBER_RANGE : nnotes::TYPE_TIME_RANGE;
        const bool single =
            nsfType == nnotes::TYPE_NUMBER || nsfType == nnotes::TYPE_TIME || nsfType == nnotes::TYPE_TEXT;
        // An empty detached text (type word and a count of 0) stores the empty text.
        const uint32_t skip = single ? (size < 6 ? size : 6) : 2;
        const nnotes::STATUS status = nnotes::AppendItem(Handle, flags, Chars(name), Length(name), nsfType,
                                                         at + skip, size - skip, &appended);
        body->UnlockValue();
        if (status != nnotes::NOERROR) return LNReturnOrThrowNotesStatus(status);
    }
    return LNReturnOrThrow(AdoptNewItem(appended, type, typed));
}

LNSTATUS LNNoteBody::CreateItem(const LNString& name, LNItem* typed, uint16_t flags, uint32_t duplicateRule) {
    if (!IsOpen()) return LNReturnOrThrow(LNERR_NOTE_NOT_OPEN);
    if (!IsValidName(name) || typed == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    LNITEMTYPE type = 0;
    uint16_t nsfType = 0;
    LNItemTypeForClass(typed->GetClassID(), &type, &nsfType);
    // The empty value of rich text comes from the rich-text module; without it none can be made.
    const LNCompositeItemHooks* hooks = LNGetCompositeItemHooks();
    const bool richText = type == LNITEMTYPE_RICHTEXT && hooks != nullptr;
    if (type != LNITEMTYPE_NUMBERS && type != LNITEMTYPE_DATETIMERANGES && type != LNITEMTYPE_TEXT &&
        type != LNITEMTYPE_DATETIMES && !richText)
        return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    if (richText)
        if (const LNSTATUS status = BindAllItems()) return LNReturnOrThrow(status);
    if (const LNSTATUS status = ApplyDuplicateRule(name, duplicateRule, nullptr))
        return LNReturnOrThrow(status);
    nnotes::STATUS status = nnotes::NOERROR;
    nnotes::BLOCKID appended{};
    if (richText) {
        nnotes::BLOCKID value{};
        uint32_t size = 0;
        if (const LNSTATUS built = hooks->NewEmptyValue(&value, &size)) return LNReturnOrThrow(built);
        status = nnotes::AppendItemByBlock(Handle, flags, Chars(name), Length(name), value, size, &appended);
        if (status != nnotes::NOERROR) nnotes::FreeBlock(value.pool);
    } else if (nsfType == nnotes::TYPE_TEXT) {
        // A plain text holds no list: its empty value is no bytes at all.
        status = nnotes::AppendItem(Handle, flags, Chars(name), Length(name), nsfType, "", 0, &appended);
    } else if (type == LNITEMTYPE_TEXT) {
        nnotes::DHANDLE list = nnotes::NULLHANDLE;
        uint16_t size = 0;
        status = nnotes::NewTextList(false, &list, &size);
        if (status == nnotes::NOERROR) {
            status = nnotes::AppendItem(Handle, flags, Chars(name), Length(name), nsfType,
                                        nnotes::LockBlock(list), size, &appended);
            nnotes::FreeBlock(list);
        }
    } else {
        const uint8_t empty[4] = {};
        status = nnotes::AppendItem(Handle, flags, Chars(name), Length(name), nsfType, empty, sizeof empty,
                                    &appended);
    }
    if (status != nnotes::NOERROR) return LNReturnOrThrowNotesStatus(status);
    return LNReturnOrThrow(AdoptNewItem(appended, type, typed));
}

LNSTATUS LNNoteBody::CreateItem(const LNString& name, uint16_t nsfType, const void* data, uint32_t length,
                                uint16_t flags, uint32_t duplicateRule, LNItem* typed) {
    if (!IsOpen()) return LNReturnOrThrow(LNERR_NOTE_NOT_OPEN);
    if (!IsValidName(name) || data == nullptr || length == 0) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    // The body follows the NSF type: raw range data always gets a range body. Every check comes before the
    // duplicate rule deletes anything.
    const LNITEMTYPE type = nsfType == nnotes::TYPE_TIME_RANGE
                                ? LNITEMTYPE_DATETIMERANGES
                                : LNItemTypeFromNSFType(nsfType, flags, LNCLASSID_LNITEMBODY);
    if (!Fits(typed, type)) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    if (JoinsByName(type) || nsfType == nnotes::TYPE_COMPOSITE)
        if (const LNSTATUS status = BindAllItems()) return LNReturnOrThrow(status);
    if (const LNSTATUS status = ApplyDuplicateRule(name, duplicateRule, nullptr))
        return LNReturnOrThrow(status);
    nnotes::BLOCKID appended{};
    if (const nnotes::STATUS status =
            nnotes::AppendItem(Handle, flags, Chars(name), Length(name), nsfType, data, length, &appended))
        return LNReturnOrThrowNotesStatus(status);
    return LNReturnOrThrow(AdoptNewItem(appended, type, typed));
}

LNSTATUS LNNoteBody::CopyItem(const LNItem& item, uint32_t duplicateRule, LNItem* typed) {
    if (!IsOpen()) return LNReturnOrThrow(LNERR_NOTE_NOT_OPEN);
    LNItemBody* body = item.GetItemBody();
    if (body == nullptr || !body->IsInNote()) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    const LNITEMTYPE type = body->GetType();
    if (!Fits(typed, type)) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    if (JoinsByName(type))
        if (const LNSTATUS status = BindAllItems()) return LNReturnOrThrow(status);
    if (!body->IsOpen() || body->IsUnstored()) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    if (const LNSTATUS status = FlushPending(body)) return LNReturnOrThrow(status);
    const LNString name = body->GetName();
    if (const LNSTATUS status = ApplyDuplicateRule(name, duplicateRule, body)) return LNReturnOrThrow(status);
    LNItemBody* existing = IsRichText(body) ? RichTextNamed(this, name) : nullptr;
    std::vector<nnotes::BLOCKID> appended(1);
    if (const nnotes::STATUS status =
            nnotes::CopyItemToNote(body->GetItemBlockID(), Handle, &appended.back()))
        return LNReturnOrThrowNotesStatus(status);
    if (!IsRichText(body)) return LNReturnOrThrow(AdoptNewItem(appended.back(), type, typed));
    for (const Segment& segment : FurtherItems(body)) {
        appended.emplace_back();
        if (const nnotes::STATUS status = nnotes::CopyItemToNote(segment.item, Handle, &appended.back())) {
            appended.pop_back();
            DeleteAppended(Handle, appended);
            return LNReturnOrThrowNotesStatus(status);
        }
    }
    if (const LNSTATUS adopted =
            AdoptRichText(this, Handle, appended, existing, typed,
                          [&](nnotes::BLOCKID first) { return AdoptNewItem(first, type, typed); }))
        return LNReturnOrThrow(adopted);
    return LNReturnOrThrow(AdoptCopiedFonts(this, name, existing, body));
}

LNSTATUS LNNoteBody::CheckOwnItem(const LNItem* item) const {
    if (!IsOpen()) return LNERR_NOTE_NOT_OPEN;
    LNItemBody* body = item != nullptr ? item->GetItemBody() : nullptr;
    if (body == nullptr || !body->IsOpen() || body->GetNoteBody() != this || body->IsUnstored())
        return LNERR_INVALID_PARAMETER;
    return LNNOERROR;
}

LNSTATUS LNNoteBody::DeleteItem(LNItem* item) {
    if (const LNSTATUS status = CheckOwnItem(item)) return LNReturnOrThrow(status);
    LNItemBody* body = item->GetItemBody();
    if (const LNSTATUS status = DeleteItemsOf(Handle, body)) return LNReturnOrThrow(status);
    item->SetItemBody(nullptr, nullptr);
    if (body == FontTable) FontTable = nullptr;
    Modified = 1;
    // The note's reference goes; a body that handles still hold is closed and kept for them.
    body->ReleaseReference();
    body->Close();
    return LNReturnOrThrow(Items.DeleteObject(body));
}

LNSTATUS LNNoteBody::DeleteItem(const LNString& name) {
    if (!IsOpen()) return LNReturnOrThrow(LNERR_NOTE_NOT_OPEN);
    if (!IsValidName(name)) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    bool first = true;
    for (;;) {
        nnotes::BLOCKID found{};
        const nnotes::STATUS status =
            nnotes::FindItemByName(Handle, Chars(name), Length(name), &found, nullptr, nullptr, nullptr);
        if (status != nnotes::NOERROR) {
            if (!first && nnotes::ERR(status) == nnotes::ERR_ITEM_NOT_FOUND) return LNNOERROR;
            return LNReturnOrThrowNotesStatus(status);
        }
        first = false;
        LNItem handle;
        if (const LNSTATUS lookup = FindItemBodyByBlock(found, &handle)) return LNReturnOrThrow(lookup);
        if (const LNSTATUS deleted = DeleteItem(&handle)) return deleted;
    }
}

LNSTATUS LNNoteBody::DeleteAllItems() {
    if (!IsOpen()) return LNReturnOrThrow(LNERR_NOTE_NOT_OPEN);
    if (const LNSTATUS status = BindAllItems()) return LNReturnOrThrow(status);
    while (LNNotesClass* object = Items.GetFirstObject()) {
        auto* body = static_cast<LNItemBody*>(object);
        if (const LNSTATUS status = DeleteItemsOf(Handle, body)) return LNReturnOrThrow(status);
        body->ReleaseReference();
        body->Close();
        if (const LNSTATUS status = Items.DeleteObject(body)) return LNReturnOrThrow(status);
    }
    Modified = 1;
    FontTable = nullptr;
    return LNNOERROR;
}

LNSTATUS LNNoteBody::StoreItemUnderName(LNItemBody* body, const LNString& name) {
    if (const LNSTATUS status = body->Flush(&name)) return status;
    // Rich text has written its items under the new name and removed the old ones.
    if (IsRichText(body)) {
        Modified = 1;
        return LNNOERROR;
    }
    nnotes::BLOCKID copy{};
    if (const LNSTATUS status = CopyValueBlock(body, &copy)) return status;
    nnotes::BLOCKID item{};
    if (const nnotes::STATUS status = nnotes::AppendItemByBlock(
            Handle, body->GetItemFlags(), Chars(name), Length(name), copy, body->GetValueSize(), &item)) {
        nnotes::FreeBlock(copy.pool);
        return LNToNotesStatus(status);
    }
    // Appended before the old item goes, so that a failure never loses the value.
    if (const nnotes::STATUS status = nnotes::DeleteItemByBlock(Handle, body->GetItemBlockID())) {
        nnotes::DeleteItemByBlock(Handle, item);
        return LNToNotesStatus(status);
    }
    NewItem found{};
    if (const LNSTATUS status = QueryItem(item, &found)) return status;
    body->SetItemBlockID(found.item);
    body->SetValueBlockID(found.value);
    body->SetValueSize(found.size);
    Modified = 1;
    return LNNOERROR;
}

LNSTATUS LNNoteBody::RenameItem(LNItem* item, const LNString& newName) {
    if (const LNSTATUS status = CheckOwnItem(item)) return LNReturnOrThrow(status);
    if (!IsValidName(newName)) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    if (HasItem(newName)) return LNReturnOrThrow(LNERR_ITEM_EXISTS);
    return LNReturnOrThrow(StoreItemUnderName(item->GetItemBody(), newName));
}

LNSTATUS LNNoteBody::RenameItem(const LNString& oldName, const LNString& newName) {
    if (!IsOpen()) return LNReturnOrThrow(LNERR_NOTE_NOT_OPEN);
    if (!IsValidName(oldName) || !IsValidName(newName)) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    if (HasItem(newName)) return LNReturnOrThrow(LNERR_ITEM_EXISTS);
    nnotes::BLOCKID found{};
    nnotes::STATUS status =
        nnotes::FindItemByName(Handle, Chars(oldName), Length(oldName), &found, nullptr, nullptr, nullptr);
    if (nnotes::ERR(status) == nnotes::ERR_ITEM_NOT_FOUND) return LNWARN_NOT_FOUND;
    while (status == nnotes::NOERROR) {
        LNItem handle;
        if (const LNSTATUS lookup = FindItemBodyByBlock(found, &handle)) return LNReturnOrThrow(lookup);
        if (const LNSTATUS stored = StoreItemUnderName(handle.GetItemBody(), newName))
            return LNReturnOrThrow(stored);
        status = nnotes::FindItemByName(Handle, Chars(oldName), Length(oldName), &found, nullptr, nullptr,
                                        nullptr);
    }
    if (nnotes::ERR(status) != nnotes::ERR_ITEM_NOT_FOUND) return LNReturnOrThrowNotesStatus(status);
    return LNNOERROR;
}

LNSTATUS LNNoteBody::GetItems(LNItemArray* items, LNITEMTYPE type) {
    if (!IsOpen()) return LNReturnOrThrow(LNERR_NOTE_NOT_OPEN);
    if (items == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    auto* body = new LNItemArrayBody(this, type);
    if (const LNSTATUS status = ItemArrays.AddObject(body)) {
        delete body;
        return LNReturnOrThrow(status);
    }
    items->SetBody(this, body);
    return body->GetCount() == 0 ? LNWARN_NOT_FOUND : LNNOERROR;
}
