#include "ln/lnitemarray.h"

#include "ln/lnassert.h"
#include "ln/lnerrors.h"

#include <new>

LNItemArrayBody::LNItemArrayBody(LNNoteBody* note, LNITEMTYPE type) : Type(type) {
    LN_ASSERT(note != nullptr, "lnitema", 233);
    Note.SetNoteBody(note);
    const LNObjectList& items = note->GetItemList();
    uint32_t count = 0;
    for (LNNotesClass* object = items.GetFirstObject(); object != nullptr;
         object = items.GetNextObject(object))
        if (static_cast<LNItemBody*>(object)->IsItemType(type)) ++count;
    if (count == 0) return;
    ItemBodies = new (std::nothrow) LNItemBody*[count];
    if (ItemBodies == nullptr) throw LNERR_NO_MEMORY;
    for (LNNotesClass* object = items.GetFirstObject(); object != nullptr;
         object = items.GetNextObject(object)) {
        auto* body = static_cast<LNItemBody*>(object);
        if (!body->IsItemType(type)) continue;
        body->AddReference();
        ItemBodies[Count++] = body;
    }
}

LNItemArrayBody::~LNItemArrayBody() {
    if (!Closed) Release();
}

void LNItemArrayBody::Release() {
    for (uint32_t i = 0; i < Count; ++i)
        if (ItemBodies[i]->ReleaseReference() == 0 && !ItemBodies[i]->IsOpen()) delete ItemBodies[i];
    delete[] ItemBodies;
    ItemBodies = nullptr;
    Count = 0;
    Note.AssignBody(nullptr);
}

LNSTATUS LNItemArrayBody::Close() {
    if (Closed) return LNWARN_NOT_OPEN;
    Closed = true;
    Release();
    return LNNOERROR;
}

LNItem LNItemArrayBody::operator[](uint32_t index) const {
    if (Closed) throw LNERR_NOT_INITIALIZED;
    if (ItemBodies == nullptr || index >= Count) throw LNERR_SUBSCRIPT_OUT_OF_RANGE;
    return LNItem(ItemBodies[index], Note.GetNoteBody());
}

uint32_t LNItemArrayBody::GetCount() const {
    if (Closed) LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return Count;
}

LNItemArray& LNItemArray::operator=(const LNItemArray& other) {
    if (this == &other) return *this;
    LNSmartPtr::AssignBody(other.GetBody());
    Note = other.Note;
    return *this;
}

LNItemArrayBody* LNItemArray::Body() const {
    if (GetBody() == nullptr) throw LNERR_NOT_INITIALIZED;
    return static_cast<LNItemArrayBody*>(GetBody());
}

LNItem LNItemArray::operator[](uint32_t index) const {
    return (*Body())[index];
}

uint32_t LNItemArray::GetCount() const {
    return Body()->GetCount();
}

void LNItemArray::SetBody(LNNoteBody* note, LNItemArrayBody* body) {
    LN_ASSERT(note != nullptr && body != nullptr, "lnitema", 186);
    LNSmartPtr::AssignBody(body);
    Note.SetNoteBody(note);
}
