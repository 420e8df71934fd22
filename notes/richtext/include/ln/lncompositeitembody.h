// LNCompositeItemBody: the body of a composite item (rich text, font table). It keeps the item's value as a
// memory block, refuses the byte-level value operations of plain items, and writes a rebuilt value back
// into its note as a fresh item.
#pragma once

#include "ln/lnitembody.h"
#include "ln/lnmemoryblock.h"
#include "nnotes/memblock.h"

class LNCompositeItemBody : public LNItemBody {
public:
    // A new composite value, empty until one is built.
    LNCompositeItemBody();
    // The body of a composite item of an open note.
    LNCompositeItemBody(LNNoteBody* note, nnotes::BLOCKID item, uint16_t nsfType, uint16_t flags,
                        nnotes::BLOCKID value, uint32_t size);
    ~LNCompositeItemBody() override;

    LNSTATUS Close() override;
    LNCLASSID GetClassID() const override { return LNCLASSID_LNCOMPOSITEITEMBODY; }
    LNSTATUS InsertSpace(uint32_t, uint32_t) override { return LNNOERROR; }
    LNSTATUS DeleteSpace(uint32_t, uint32_t) override { return LNNOERROR; }
    LNSTATUS ReadValue(uint32_t, uint32_t, void*) override;
    LNSTATUS ReadCanonical(uint32_t, uint16_t, void*) override;
    LNSTATUS WriteValue(uint32_t, uint32_t, const void*) override;
    LNSTATUS WriteCanonical(uint32_t, uint16_t, const void*) override;
    LNSTATUS Flush(const LNString* name) override;
    // Turns the body's objects into the item value.
    virtual LNSTATUS BuildValue() = 0;

    // Takes block as the item's value; block receives the old one (owning it when this body owned it).
    // Exactly one of this body and its FirstBlock frees the memory.
    LNSTATUS ReplaceFirstBlock(LNMemoryBlock* block);
    LNMemoryBlock* GetFirstBlock() { return &FirstBlock; }
    const LNMemoryBlock* GetFirstBlock() const { return &FirstBlock; }

protected:
    // The item's name in its note, or name when given.
    LNSTATUS ItemName(const LNString* name, char* buffer, uint16_t* length, uint16_t* flags) const;
    LNMemoryBlock FirstBlock;
};
