// Object lists: the heap objects an owner is responsible for, so that closing the owner deletes them.
// LNObjectList is a counted, doubly linked list; LNSortedObjectList keeps ascending unsigned keys and finds
// objects by key. An object sits in at most one list, and leaves it when it dies.
#pragma once

#include "ln/lnclass.h"

#include <cstdint>

class LNObjectList;

// One list entry; allocated with the plain allocator, not on the object heap. While it exists, its object's
// ListElement points back at it.
class LNObjectListElement {
public:
    LNObjectListElement(LNNotesClass* object, uint32_t sortKey);
    ~LNObjectListElement();
    LNObjectListElement(const LNObjectListElement&) = delete;
    LNObjectListElement& operator=(const LNObjectListElement&) = delete;

    LNObjectListElement* Next = nullptr;
    LNObjectListElement* Previous = nullptr;
    LNNotesClass* Object;
    LNObjectList* ObjectList = nullptr;
    uint32_t SortKey;
};

class LNObjectList : public LNNotesClass {
public:
    LNObjectList() = default;
    // A list owns its elements; it cannot be shared by copying.
    LNObjectList(const LNObjectList&) = delete;
    LNObjectList& operator=(const LNObjectList&) = delete;
    // Deletes every object still listed.
    ~LNObjectList() override;

    LNCLASSID GetClassID() const override { return LNCLASSID_LNOBJECTLIST; }

    // Appends a heap object that is in no list.
    virtual LNSTATUS AddObject(LNNotesClass* object);
    // Takes the object off this list without deleting it.
    LNSTATUS RemoveObject(LNNotesClass* object);
    // Takes the object off this list and deletes it, unless it is a body that handles still share.
    LNSTATUS DeleteObject(LNNotesClass* object);
    // Empties the list, newest first; bodies that handles still share are closed and survive.
    void DeleteAllObjects();

    bool Contains(const LNNotesClass* object) const { return ElementOf(object) != nullptr; }
    LNNotesClass* GetFirstObject() const;
    LNNotesClass* GetLastObject() const;
    // The neighbour of object in this list; null gives the first (last) object.
    LNNotesClass* GetNextObject(const LNNotesClass* object) const;
    LNNotesClass* GetPreviousObject(const LNNotesClass* object) const;

protected:
    friend class LNNotesClass;

    // The element of object when it sits in this list, else null.
    LNObjectListElement* ElementOf(const LNNotesClass* object) const;
    // Checks a new element for object (LNERR_* through LNReturnOrThrow) and makes it; null with *status set
    // on failure.
    LNObjectListElement* NewElement(LNNotesClass* object, uint32_t sortKey, LNSTATUS* status) const;
    void Append(LNObjectListElement* element);
    // Takes element out of the list and destroys it.
    void Unlink(LNObjectListElement* element);
    // The deletion rule of DeleteObject for an object already taken off the list.
    static void DeleteUnlisted(LNNotesClass* object);
    void CheckInvariant(unsigned line) const;

    uint32_t Count = 0;
    LNObjectListElement* First = nullptr;
    LNObjectListElement* Last = nullptr;
};

class LNSortedObjectList : public LNObjectList {
public:
    LNCLASSID GetClassID() const override { return LNCLASSID_LNSORTEDOBJECTLIST; }

    // A sorted list needs a key: always LNERR_SORT_KEY_REQUIRED.
    LNSTATUS AddObject(LNNotesClass* object) override;
    // Inserts after every element with a smaller key; among equal keys inside the list the new one goes
    // first, while a key equal to the last key goes at the end.
    LNSTATUS AddObject(LNNotesClass* object, uint32_t sortKey);

    // The first object with this key, or null.
    LNNotesClass* GetObject(uint32_t sortKey) const;

    using LNObjectList::DeleteObject;
    using LNObjectList::RemoveObject;
    // By key: LNWARN_NOT_FOUND (returned, never thrown) when no object has it.
    LNSTATUS DeleteObject(uint32_t sortKey);
    LNSTATUS RemoveObject(uint32_t sortKey);

    LNSTATUS GetSortKey(const LNNotesClass* object, uint32_t* sortKey) const;
    // The key of the last element; 0 when the list is empty.
    uint32_t GetLastSortKey() const;
    // Changes the key only while it stays between its neighbours' keys; else LNERR_OUT_OF_RANGE.
    LNSTATUS SetSortKey(const LNNotesClass* object, uint32_t sortKey);

private:
    void Insert(LNObjectListElement* element);
    LNObjectListElement* FindKey(uint32_t sortKey) const;
};
