// What the typed list handles and their elements share: an element holds a counted reference to its body and
// an index; a handle without a body is an empty list whose first insertion at index 0 makes a new detached
// value. BodyType is a body class with GetCount, GetEntry, Insert and Delete.
#pragma once

#include "ln/lnassert.h"
#include "ln/lnerrors.h"
#include "ln/lnitem.h"
#include "ln/lnlistbody.h"
#include "nnotes/memblock.h"

// The body of item when it is of class bodyClass (or item is empty: null); else LNERR_CONVERSION is thrown.
template <class BodyType>
BodyType* LNBodyOfClass(const LNItem& item, LNCLASSID bodyClass) {
    LNItemBody* body = item.GetItemBody();
    if (body != nullptr && body->GetClassID() != bodyClass) throw LNERR_CONVERSION;
    return static_cast<BodyType*>(body);
}

template <class BodyType, class Value>
class LNListElement : public LNNotesClass {
public:
    // index must be below body's count; unit names the family in the assertion box.
    LNListElement(BodyType* body, uint32_t index, const char* unit) : ListBody(body), Index(index) {
        LN_ASSERT(body != nullptr, unit, 191);
        LN_ASSERT(index < body->GetCount(), unit, 194);
        ListBody->AddReference();
    }
    LNListElement(const LNListElement& other)
        : LNNotesClass(other), ListBody(other.ListBody), Index(other.Index) {
        ListBody->AddReference();
    }
    ~LNListElement() override {
        try {
            if (ListBody->ReleaseReference() == 0) delete ListBody;
        } catch (LNSTATUS) {
            // Reported by the assertion box already.
        }
    }

    Value GetValue() const { return ListBody->GetEntry(Index); }
    operator Value() const { return GetValue(); }

protected:
    BodyType* Body() const { return ListBody; }
    uint32_t GetIndex() const { return Index; }

    // Replaces the entry: in place where the body can (a list at its largest takes a new value too), else the
    // new value goes in before it and then the old one goes; a failure is thrown.
    void Replace(const Value& value) {
        if constexpr (requires { ListBody->Replace(Index, value); }) {
            if (const LNSTATUS status = ListBody->Replace(Index, value)) throw status;
        } else {
            if (const LNSTATUS status = ListBody->Insert(Index, value)) throw status;
            if (const LNSTATUS status = ListBody->Delete(Index + 1, 1)) throw status;
        }
    }

private:
    BodyType* ListBody;
    uint32_t Index;
};

template <class BodyType, class ElementType, LNCLASSID BodyClass>
class LNListHandle : public LNItem {
public:
    uint32_t GetCount() const { return IsNull() ? 0 : ListBody()->GetCount(); }
    // Throws LNERR_NOT_INITIALIZED without a body and LNERR_INVALID_PARAMETER past the count.
    ElementType operator[](uint32_t index) const {
        if (IsNull()) throw LNERR_NOT_INITIALIZED;
        if (index >= GetCount()) throw LNERR_INVALID_PARAMETER;
        return ElementType(ListBody(), index);
    }
    LNSTATUS Delete(uint32_t index, uint32_t count) {
        if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
        return LNReturnOrThrow(ListBody()->Delete(index, count));
    }
    LNSTATUS DeleteAll() {
        if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
        return LNReturnOrThrow(ListBody()->DeleteAll());
    }
    BodyType* ListBody() const { return static_cast<BodyType*>(GetBody()); }

protected:
    LNListHandle() = default;
    LNListHandle(const LNListHandle& other) = default;
    explicit LNListHandle(const LNItem& item) : LNItem(item) { LNBodyOfClass<BodyType>(item, BodyClass); }
    LNListHandle& operator=(const LNListHandle& other) = default;
    void Assign(const LNItem& item) {
        LNBodyOfClass<BodyType>(item, BodyClass);
        LNItem::operator=(item);
    }

    // Inserts value; without a body only at index 0, into a new detached value that the handle takes once
    // it holds the entry.
    template <class Value>
    LNSTATUS InsertValue(uint32_t index, const Value& value) {
        if (!IsNull()) return LNReturnOrThrow(ListBody()->Insert(index, value));
        if (index != 0) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
        auto* body = new BodyType(nnotes::NULLBLOCKID, 0);
        if (const LNSTATUS status = body->Insert(0, value)) {
            delete body;
            return LNReturnOrThrow(status);
        }
        SetItemBody(nullptr, body);
        return LNNOERROR;
    }

    // Makes entries the whole value (the family's value replacement): written through to the note for an
    // item of a note; without a body, a new detached value. A failure leaves the old value.
    LNSTATUS SetEntries(const LNListValue& entries) {
        if (!IsNull()) return LNReturnOrThrow(ListBody()->Store(entries));
        auto* body = new BodyType(nnotes::NULLBLOCKID, 0);
        if (const LNSTATUS status = body->Store(entries)) {
            delete body;
            return LNReturnOrThrow(status);
        }
        SetItemBody(nullptr, body);
        return LNNOERROR;
    }
    // The whole value of another list of the family; a list without a body gives LNERR_INVALID_PARAMETER.
    static LNSTATUS EntriesOf(const LNListHandle& other, LNListValue* entries) {
        if (other.IsNull()) return LNERR_INVALID_PARAMETER;
        return other.ListBody()->Read(entries);
    }
    LNSTATUS SetEntriesOf(const LNListHandle& other) {
        LNListValue entries;
        if (const LNSTATUS status = EntriesOf(other, &entries)) return LNReturnOrThrow(status);
        return SetEntries(entries);
    }
};
