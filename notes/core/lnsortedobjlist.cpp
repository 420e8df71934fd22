#include "ln/lnassert.h"
#include "ln/lnerrors.h"
#include "ln/lnobjlist.h"

LNSTATUS LNSortedObjectList::AddObject(LNNotesClass*) {
    return LNReturnOrThrow(LNERR_SORT_KEY_REQUIRED);
}

LNSTATUS LNSortedObjectList::AddObject(LNNotesClass* object, uint32_t sortKey) {
    LNSTATUS status;
    LNObjectListElement* element = NewElement(object, sortKey, &status);
    if (element != nullptr) Insert(element);
    return status;
}

void LNSortedObjectList::Insert(LNObjectListElement* element) {
    LN_ASSERT(element, "objlist", 750);
    CheckInvariant(752);
    const uint32_t key = element->SortKey;
    if (Last == nullptr || key >= Last->SortKey) {
        Append(element);
        return;
    }
    LNObjectListElement* p = First;
    while (p != nullptr && p->SortKey < key)
        p = p->Next;
    LN_ASSERT(p != 0, "objlist", 772);
    element->Next = p;
    element->Previous = p->Previous;
    if (p->Previous != nullptr) {
        p->Previous->Next = element;
    } else {
        LN_ASSERT(First == p, "objlist", 782);
        First = element;
    }
    p->Previous = element;
    ++Count;
    element->ObjectList = this;
}

LNObjectListElement* LNSortedObjectList::FindKey(uint32_t sortKey) const {
    CheckInvariant(__LINE__);
    if (Last == nullptr || Last->SortKey < sortKey) return nullptr;
    for (LNObjectListElement* element = First; element != nullptr && element->SortKey <= sortKey;
         element = element->Next) {
        if (element->SortKey == sortKey) return element;
    }
    return nullptr;
}

LNNotesClass* LNSortedObjectList::GetObject(uint32_t sortKey) const {
    const LNObjectListElement* element = FindKey(sortKey);
    return element != nullptr ? element->Object : nullptr;
}

LNSTATUS LNSortedObjectList::RemoveObject(uint32_t sortKey) {
    LNObjectListElement* element = FindKey(sortKey);
    if (element == nullptr) return LNWARN_NOT_FOUND;
    Unlink(element);
    return LNNOERROR;
}

LNSTATUS LNSortedObjectList::DeleteObject(uint32_t sortKey) {
    LNObjectListElement* element = FindKey(sortKey);
    if (element == nullptr) return LNWARN_NOT_FOUND;
    LNNotesClass* object = element->Object;
    Unlink(element);
    DeleteUnlisted(object);
    return LNNOERROR;
}

LNSTATUS LNSortedObjectList::GetSortKey(const LNNotesClass* object, uint32_t* sortKey) const {
    if (sortKey == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    const LNObjectListElement* element = ElementOf(object);
    if (element == nullptr) return LNReturnOrThrow(LNERR_NOT_IN_OBJECT_LIST);
    *sortKey = element->SortKey;
    return LNNOERROR;
}

uint32_t LNSortedObjectList::GetLastSortKey() const {
    return Last != nullptr ? Last->SortKey : 0;
}

LNSTATUS LNSortedObjectList::SetSortKey(const LNNotesClass* object, uint32_t sortKey) {
    LNObjectListElement* element = ElementOf(object);
    if (element == nullptr) return LNReturnOrThrow(LNERR_NOT_IN_OBJECT_LIST);
    const bool afterPrevious = element->Previous == nullptr || element->Previous->SortKey <= sortKey;
    const bool beforeNext = element->Next == nullptr || sortKey <= element->Next->SortKey;
    if (!afterPrevious || !beforeNext) return LNReturnOrThrow(LNERR_OUT_OF_RANGE);
    element->SortKey = sortKey;
    return LNNOERROR;
}
