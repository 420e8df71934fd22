#include "ln/lnobjlist.h"

#include "ln/lnassert.h"
#include "ln/lnerrors.h"
#include "lndeletion.h"

#include <new>

LNObjectListElement::LNObjectListElement(LNNotesClass* object, uint32_t sortKey)
    : Object(object), SortKey(sortKey) {
    Object->ListElement = this;
}

LNObjectListElement::~LNObjectListElement() {
    Object->ListElement = nullptr;
}

LNObjectList::~LNObjectList() {
    try {
        DeleteAllObjects();
    } catch (LNSTATUS) {
        // A failed check has already shown its box; a destructor must not throw.
    }
}

void LNObjectList::CheckInvariant(unsigned line) const {
    LNAssertionFailed((Count && First && Last) || (Count == 0 && First == 0 && Last == 0),
                      "(Count && First && Last) || (Count == 0 && First == 0 && Last == 0)", "objlist", line);
}

LNObjectListElement* LNObjectList::ElementOf(const LNNotesClass* object) const {
    if (object == nullptr || object->ListElement == nullptr || object->ListElement->ObjectList != this) {
        return nullptr;
    }
    return object->ListElement;
}

LNObjectListElement* LNObjectList::NewElement(LNNotesClass* object, uint32_t sortKey,
                                              LNSTATUS* status) const {
    if (object == nullptr) {
        *status = LNReturnOrThrow(LNERR_NULL_POINTER);
    } else if (object->ListElement != nullptr) {
        *status = LNReturnOrThrow(LNERR_ALREADY_IN_OBJECT_LIST);
    } else if (!object->IsOnHeap()) {
        *status = LNReturnOrThrow(LNERR_OBJECT_NOT_ON_HEAP);
    } else if (auto* element = new (std::nothrow) LNObjectListElement(object, sortKey)) {
        *status = LNNOERROR;
        return element;
    } else {
        *status = LNReturnOrThrow(LNERR_NO_MEMORY);
    }
    return nullptr;
}

LNSTATUS LNObjectList::AddObject(LNNotesClass* object) {
    LNSTATUS status;
    LNObjectListElement* element = NewElement(object, 0, &status);
    if (element != nullptr) Append(element);
    return status;
}

void LNObjectList::Append(LNObjectListElement* element) {
    LN_ASSERT(element, "objlist", 203);
    CheckInvariant(205);
    element->Next = nullptr;
    element->Previous = Last;
    if (Last != nullptr) {
        Last->Next = element;
    } else {
        First = element;
    }
    Last = element;
    ++Count;
    element->ObjectList = this;
}

void LNObjectList::Unlink(LNObjectListElement* element) {
    LN_ASSERT(element && element->ObjectList == this, "objlist", 398);
    CheckInvariant(400);
    if (element->Previous != nullptr) {
        element->Previous->Next = element->Next;
    } else {
        First = element->Next;
    }
    if (element->Next != nullptr) {
        element->Next->Previous = element->Previous;
    } else {
        Last = element->Previous;
    }
    --Count;
    delete element;
}

LNSTATUS LNObjectList::RemoveObject(LNNotesClass* object) {
    if (object == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    LNObjectListElement* element = ElementOf(object);
    if (element == nullptr) return LNReturnOrThrow(LNERR_NOT_IN_OBJECT_LIST);
    Unlink(element);
    return LNNOERROR;
}

void LNObjectList::DeleteUnlisted(LNNotesClass* object) {
    if (object->IsBody() && static_cast<LNBody*>(object)->GetRefCount() > 0) return;
    delete object;
}

LNSTATUS LNObjectList::DeleteObject(LNNotesClass* object) {
    const LNSTATUS status = RemoveObject(object);
    if (status != LNNOERROR) return status;
    DeleteUnlisted(object);
    return LNNOERROR;
}

void LNObjectList::DeleteAllObjects() {
    // An object's destructor may take further objects of this list with it; Last is read afresh each time.
    while (Last != nullptr) {
        LNNotesClass* object = Last->Object;
        Unlink(Last);
        if (LNCloseForDeletion(object)) delete object;
    }
    LN_ASSERT(Count == 0 && First == 0, "objlist", 365);
}

LNNotesClass* LNObjectList::GetFirstObject() const {
    return First != nullptr ? First->Object : nullptr;
}

LNNotesClass* LNObjectList::GetLastObject() const {
    return Last != nullptr ? Last->Object : nullptr;
}

LNNotesClass* LNObjectList::GetNextObject(const LNNotesClass* object) const {
    if (object == nullptr) return GetFirstObject();
    const LNObjectListElement* element = ElementOf(object);
    return element != nullptr && element->Next != nullptr ? element->Next->Object : nullptr;
}

LNNotesClass* LNObjectList::GetPreviousObject(const LNNotesClass* object) const {
    if (object == nullptr) return GetLastObject();
    const LNObjectListElement* element = ElementOf(object);
    return element != nullptr && element->Previous != nullptr ? element->Previous->Object : nullptr;
}
