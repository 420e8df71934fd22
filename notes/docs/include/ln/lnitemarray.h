// LNItemArray: a snapshot of the items of an open note (all of them or those of one type), indexable from 0.
// Each element is handed out as an LNItem bound to the note.
#pragma once

#include "ln/lnitem.h"

class LNItemArrayBody : public LNBody {
public:
    // The items of note's item list whose type matches (LNITEMTYPE_ANY: every item).
    LNItemArrayBody(LNNoteBody* note, LNITEMTYPE type);
    LNItemArrayBody(const LNItemArrayBody&) = delete;
    LNItemArrayBody& operator=(const LNItemArrayBody&) = delete;
    ~LNItemArrayBody() override;

    LNCLASSID GetClassID() const override { return LNCLASSID_LNITEMARRAYBODY; }
    // Releases the items; closed already: LNWARN_NOT_OPEN.
    LNSTATUS Close() override;

    // Closed: LNERR_NOT_INITIALIZED; past the count: LNERR_SUBSCRIPT_OUT_OF_RANGE (both thrown).
    LNItem operator[](uint32_t index) const;
    uint32_t GetCount() const;

private:
    void Release();

    LNItemBody** ItemBodies = nullptr;
    uint32_t Count = 0;
    LNITEMTYPE Type;
    LNNote Note;
    bool Closed = false;
};

class LNItemArray : public LNSmartPtr {
public:
    LNItemArray() = default;
    LNItemArray(const LNItemArray& other) = default;
    ~LNItemArray() = default;
    LNItemArray& operator=(const LNItemArray& other);

    LNCLASSID GetClassID() const override { return LNCLASSID_LNITEMARRAY; }

    // Throws LNERR_NOT_INITIALIZED without a body.
    LNItem operator[](uint32_t index) const;
    uint32_t GetCount() const;
    // Both must be given.
    void SetBody(LNNoteBody* note, LNItemArrayBody* body);

private:
    LNItemArrayBody* Body() const;

    LNNote Note;
};
