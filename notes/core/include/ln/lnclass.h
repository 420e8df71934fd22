// The three bases of the object layer: LNNotesClass, the root of every API object; LNBody, the reference-
// counted state that handles share; and LNSmartPtr, the base of every handle class.
//
// Handles are values: copying one shares its body and adds a reference; the handle that drops the last
// reference deletes the body. A new reference is always taken before an old one is dropped, and a handle
// clears its own pointer before it releases, so a body's destructor that reaches back finds it empty.
#pragma once

#include "ln/lnclassid.h"
#include "ln/lnstatus.h"

#include <cstddef>
#include <cstdint>

class LNNotesSession;
class LNObjectList;
class LNObjectListElement;

// Every API object is allocated by the class's own operator new from the object heap (LNNew), so the heap can
// tell API objects from others and delete what is left when the API ends. An API class derives from
// LNNotesClass through its first base, so that the heap block and the object share one address.
// False for a session that has been terminated or destroyed (until it is started again); true otherwise.
bool LNIsLiveSession(const LNNotesSession* session);

class LNNotesClass {
public:
    LNNotesClass() = default;
    explicit LNNotesClass(LNNotesSession* session) : OwnerSession(session) {}
    // A copy belongs to the same session but sits in no list.
    LNNotesClass(const LNNotesClass& other) : OwnerSession(other.OwnerSession) {}
    LNNotesClass& operator=(const LNNotesClass& other) {
        OwnerSession = other.OwnerSession;
        return *this;
    }
    // Leaves the list that holds the object, if any.
    virtual ~LNNotesClass();

    virtual LNSTATUS Close() { return LNNOERROR; }
    virtual LNCLASSID GetClassID() const = 0;
    virtual const char* GetClassName() const { return LNGetClassName(GetClassID()); }
    // Null once the session has been terminated or destroyed: objects outlive their session, its memory
    // does not.
    virtual LNNotesSession* GetSession() const {
        return LNIsLiveSession(OwnerSession) ? OwnerSession : nullptr;
    }
    virtual bool IsBody() const { return false; }
    // True for objects made with the class's operator new.
    virtual bool IsOnHeap() const;

    static void* operator new(std::size_t size);
    // Never throws: a block that the heap refuses is reported through the assertion box.
    static void operator delete(void* object) noexcept;

private:
    friend class LNObjectList;
    friend class LNObjectListElement;

    LNObjectListElement* ListElement = nullptr;
    LNNotesSession* OwnerSession = nullptr;
};

class LNBody : public LNNotesClass {
public:
    LNBody() = default;
    explicit LNBody(LNNotesSession* session) : LNNotesClass(session) {}
    // Takes only the other object's session; a new body has no references yet.
    explicit LNBody(const LNNotesClass& other) : LNNotesClass(other) {}
    LNBody(const LNBody& other) : LNNotesClass(other) {}
    // Keeps this body's own reference count.
    LNBody& operator=(const LNBody& other) {
        LNNotesClass::operator=(other);
        return *this;
    }

    bool IsBody() const override { return true; }

    uint32_t AddReference() { return ++RefCount; }
    uint32_t ReleaseReference();
    uint32_t GetRefCount() const { return RefCount; }

private:
    uint32_t RefCount = 0;
};

class LNSmartPtr {
public:
    LNSmartPtr() = default;
    explicit LNSmartPtr(LNBody* body);
    LNSmartPtr(const LNSmartPtr& other);
    LNSmartPtr& operator=(const LNSmartPtr& other);

    // Drops this handle's reference; returns 1 when that deleted the body, else 0.
    virtual int ReleaseBody();
    virtual LNCLASSID GetClassID() const = 0;
    virtual const char* GetClassName() const { return LNGetClassName(GetClassID()); }
    virtual LNNotesSession* GetSession() const;

    LNBody* GetBody() const { return Body; }
    bool IsNull() const { return Body == nullptr; }

protected:
    // Handles are values and never deleted through a base pointer.
    ~LNSmartPtr();

    // Shares body (null empties the handle) and drops the previous one.
    LNSmartPtr& AssignBody(LNBody* body);

private:
    LNBody* Body = nullptr;
};
