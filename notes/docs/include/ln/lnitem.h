// LNItem: the handle of one item, bound to the note that holds it (no note for a free-standing value). Typed
// item handles (LNText, LNNumbers, LNDatetimes, LNDatetimeRanges) derive from it.
#pragma once

#include "ln/lnitembody.h"
#include "ln/lnnote.h"

class LNItem : public LNSmartPtr {
public:
    LNItem() = default;
    LNItem(const LNItem& other) = default;
    LNItem(LNItemBody* body, LNNoteBody* note);
    // Closes a body that asks for it before the reference goes.
    virtual ~LNItem();

    LNItem& operator=(const LNItem& other);

    LNCLASSID GetClassID() const override { return LNCLASSID_LNITEM; }
    int ReleaseBody() override;

    // The handle takes body (null empties it) and the note that holds it (null for none).
    void SetItemBody(LNNoteBody* note, LNItemBody* body);
    LNItemBody* GetItemBody() const { return static_cast<LNItemBody*>(GetBody()); }
    const LNNote& GetNote() const { return Note; }

    // Empty handle: LNERR_NOT_INITIALIZED, returned by status operations, thrown by the others.
    LNSTATUS InsertSpace(uint32_t offset, uint32_t count);
    uint16_t GetFlags() const;
    LNString GetName() const;
    LNITEMTYPE GetType() const;
    uint32_t GetValueSize() const;
    bool IsUnstored() const;
    bool IsDirty() const;
    bool IsItemType(LNITEMTYPE type) const;
    LNSTATUS ReadValue(uint32_t offset, uint32_t length, void* destination) const;
    LNSTATUS ReadCanonical(uint32_t offset, uint16_t structureType, void* destination) const;
    LNSTATUS DeleteSpace(uint32_t offset, uint32_t count);
    LNSTATUS WriteValue(uint32_t offset, uint32_t length, const void* source);
    LNSTATUS WriteCanonical(uint32_t offset, uint16_t structureType, const void* source);
    // A new free-standing value of size bytes when the handle is empty; else the body's value is replaced.
    LNSTATUS AllocateValue(uint32_t size, uint16_t nsfType);

protected:
    // The body, or LNERR_NOT_INITIALIZED thrown.
    LNItemBody* Require() const;

private:
    LNNote Note;
};
