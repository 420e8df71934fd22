#include "ln/lnitem.h"

#include "ln/lnerrors.h"

LNItem::LNItem(LNItemBody* body, LNNoteBody* note) : LNSmartPtr(body), Note(note) {}

LNItem::~LNItem() {
    try {
        ReleaseBody();
    } catch (LNSTATUS) {
        // The failed release has shown its assertion box; a destructor must not throw.
    }
}

int LNItem::ReleaseBody() {
    LNItemBody* body = GetItemBody();
    if (body != nullptr && body->ShouldCloseOnRelease()) body->Close();
    Note.AssignBody(nullptr);
    return LNSmartPtr::ReleaseBody();
}

LNItem& LNItem::operator=(const LNItem& other) {
    if (this == &other) return *this;
    LNSmartPtr::AssignBody(other.GetBody());
    Note = other.Note;
    return *this;
}

void LNItem::SetItemBody(LNNoteBody* note, LNItemBody* body) {
    LNSmartPtr::AssignBody(body);
    Note.AssignBody(note);
}

LNItemBody* LNItem::Require() const {
    if (GetBody() == nullptr) throw LNERR_NOT_INITIALIZED;
    return GetItemBody();
}

LNSTATUS LNItem::InsertSpace(uint32_t offset, uint32_t count) {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return GetItemBody()->InsertSpace(offset, count);
}

uint16_t LNItem::GetFlags() const {
    return Require()->GetFlags();
}

LNString LNItem::GetName() const {
    return Require()->GetName();
}

LNITEMTYPE LNItem::GetType() const {
    return Require()->GetType();
}

uint32_t LNItem::GetValueSize() const {
    return Require()->GetValueSize();
}

bool LNItem::IsUnstored() const {
    return Require()->IsUnstored();
}

bool LNItem::IsDirty() const {
    return Require()->IsDirty();
}

bool LNItem::IsItemType(LNITEMTYPE type) const {
    return Require()->IsItemType(type);
}

LNSTATUS LNItem::ReadValue(uint32_t offset, uint32_t length, void* destination) const {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return GetItemBody()->ReadValue(offset, length, destination);
}

LNSTATUS LNItem::ReadCanonical(uint32_t offset, uint16_t structureType, void* destination) const {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return GetItemBody()->ReadCanonical(offset, structureType, destination);
}

LNSTATUS LNItem::DeleteSpace(uint32_t offset, uint32_t count) {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return GetItemBody()->DeleteSpace(offset, count);
}

LNSTATUS LNItem::WriteValue(uint32_t offset, uint32_t length, const void* source) {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return GetItemBody()->WriteValue(offset, length, source);
}

LNSTATUS LNItem::WriteCanonical(uint32_t offset, uint16_t structureType, const void* source) {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return GetItemBody()->WriteCanonical(offset, structureType, source);
}

LNSTATUS LNItem::AllocateValue(uint32_t size, uint16_t nsfType) {
    if (IsNull()) SetItemBody(nullptr, new LNItemBody());
    return GetItemBody()->SetValue(nullptr, nsfType, size);
}
