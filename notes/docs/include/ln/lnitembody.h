// LNItemBody: the counted body of one item value, and the item type codes. A body either stands for an item
// of an open note (its value lies in the note's memory, named by block ids) or is free-standing (its value
// lies in a memory block that the body allocated and owns). Typed bodies (text, numbers, date/times, ranges)
// derive from it.
#pragma once

#include "ln/lnclass.h"
#include "ln/lnstring.h"
#include "nnotes/memblock.h"
#include "nnotes/note.h"

#include <cstdint>

class LNNoteBody;

// What an item holds, as the typed handles see it. Types without a code of their own pass through as their
// NSF type (3, 4, 6, 7, 8, 14, 256, 512, 1536); every other NSF type is unsupported (0).
using LNITEMTYPE = uint32_t;
constexpr LNITEMTYPE LNITEMTYPE_UNSUPPORTED = 0;
constexpr LNITEMTYPE LNITEMTYPE_RICHTEXT = 1;
constexpr LNITEMTYPE LNITEMTYPE_FONTTABLE = 0x80000001u;
constexpr LNITEMTYPE LNITEMTYPE_NUMBERS = 769;
constexpr LNITEMTYPE LNITEMTYPE_DATETIMES = 0x80000401u;
constexpr LNITEMTYPE LNITEMTYPE_DATETIMERANGES = 1025;
constexpr LNITEMTYPE LNITEMTYPE_TEXT = 1281;
// Matches every type in IsItemType and item-array filters.
constexpr LNITEMTYPE LNITEMTYPE_ANY = 0xFFFFFFFFu;

// The type code of an NSF type; context is the class id of the body that asks (range values are date/times
// except to a range body, composite values a font table only to a font-table body). Flags take no part.
LNITEMTYPE LNItemTypeFromNSFType(uint16_t nsfType, uint16_t flags, uint32_t context);
// The type code and the NSF type to store for a typed item handle's class id; either output may be null.
void LNItemTypeForClass(uint32_t handleClass, LNITEMTYPE* type, uint16_t* nsfType);

// Block type of the value blocks that bodies allocate.
constexpr uint16_t LNITEM_BLOCK_TYPE = 0x4000;

class LNItemBody : public LNBody {
public:
    // Open, free-standing, without a value.
    LNItemBody() = default;
    // Free-standing over an existing block that the body does not own.
    LNItemBody(nnotes::BLOCKID value, uint16_t nsfType, uint32_t size);
    // Free-standing over a copy of size bytes at value (which must not be null), in a block of its own. A
    // failed allocation is thrown as its Notes status.
    LNItemBody(const void* value, uint16_t nsfType, uint32_t size);
    // The body of an item of an open note (note must not be null).
    LNItemBody(LNNoteBody* note, nnotes::BLOCKID item, uint16_t nsfType, uint16_t flags,
               nnotes::BLOCKID value, uint32_t size);
    LNItemBody(const LNItemBody&) = delete;
    LNItemBody& operator=(const LNItemBody&) = delete;
    ~LNItemBody() override;

    // Frees an owned value and forgets the note; a closed body returns LNWARN_NOT_OPEN.
    LNSTATUS Close() override;
    LNCLASSID GetClassID() const override { return LNCLASSID_LNITEMBODY; }

    // Space and values of free-standing bodies; items of a note change only by whole values.
    virtual LNSTATUS InsertSpace(uint32_t offset, uint32_t count);
    // Item flags of an item of a note (masked to the sign, seal, summary and protected bits); 0 otherwise.
    virtual uint16_t GetFlags() const;
    // The item's name; empty for a free-standing body. An item whose note is closed throws
    // LNERR_NOTE_NOT_OPEN.
    virtual LNString GetName() const;
    virtual uint32_t GetValueSize() const { return ValueSize; }
    virtual bool IsItemBlock(nnotes::BLOCKID item) const;
    virtual bool IsDirty() const { return Dirty != 0; }
    virtual bool ShouldCloseOnRelease() const { return false; }
    // The value's first byte; locks nest and pair with UnlockValue. Without a value: LNERR_ITEM_NOT_DEFINED
    // (thrown).
    virtual uint8_t* LockValue();
    virtual LNSTATUS ReadValue(uint32_t offset, uint32_t length, void* destination);
    virtual LNSTATUS ReadCanonical(uint32_t offset, uint16_t structureType, void* destination);
    // Writes what is pending; name is the item's new name when it is being renamed (else null).
    virtual LNSTATUS Flush(const LNString* name);
    virtual void SetDirty(bool dirty) { Dirty = dirty ? 1 : 0; }
    virtual LNSTATUS DeleteSpace(uint32_t offset, uint32_t count);
    virtual void UnlockValue();
    virtual LNSTATUS WriteValue(uint32_t offset, uint32_t length, const void* source);
    virtual LNSTATUS WriteCanonical(uint32_t offset, uint16_t structureType, const void* source);

    // Replaces a free-standing value by size bytes (copied from value when it is given).
    LNSTATUS SetValue(const void* value, uint16_t nsfType, uint32_t size);
    // Takes a copy of other's value (both must stand for items of open notes).
    LNSTATUS CopyValue(LNItemBody* other);
    // Replaces the item's value in its note by the value block (adopted by the note, also when this fails).
    LNSTATUS StoreValueInNote(nnotes::BLOCKID value, uint32_t size);

    LNITEMTYPE GetType() const { return LNItemTypeFromNSFType(NSFType, ItemFlags, GetClassID()); }
    bool IsItemType(LNITEMTYPE type) const { return type == LNITEMTYPE_ANY || type == GetType(); }

    bool IsOpen() const { return Open != 0; }
    bool IsInNote() const { return Note != nullptr; }
    bool IsNoteOpen() const;
    bool IsUnstored() const { return IsInNote() && ItemBlock.pool == nnotes::NULLHANDLE; }
    LNNoteBody* GetNoteBody() const { return Note; }
    nnotes::NOTEHANDLE GetNoteHandle() const;

    nnotes::BLOCKID GetItemBlockID() const { return ItemBlock; }
    void SetItemBlockID(nnotes::BLOCKID item) { ItemBlock = item; }
    nnotes::BLOCKID GetValueBlockID() const { return ValueBlock; }
    void SetValueBlockID(nnotes::BLOCKID value) { ValueBlock = value; }
    uint16_t GetNSFType() const { return NSFType; }
    void SetNSFType(uint16_t nsfType) { NSFType = nsfType; }
    void SetValueSize(uint32_t size) { ValueSize = size; }
    bool IsValueOwned() const { return ValueOwned != 0; }
    void SetValueOwned(bool owned) { ValueOwned = owned ? 1 : 0; }
    uint16_t GetItemFlags() const { return ItemFlags; }

protected:
    // Frees an owned value block and forgets it.
    void FreeValue();
    // Takes block (whose size is size) as the body's own free-standing value, freeing the old one.
    void AdoptValue(nnotes::BLOCKID block, uint16_t nsfType, uint32_t size);

private:
    // Checks that offset + length lies inside a readable value; the status is unfiltered.
    LNSTATUS CheckRange(uint32_t offset, uint32_t length) const;
    LNSTATUS CopyIn(uint32_t offset, uint32_t length, const void* source, uint16_t structureType);
    LNSTATUS CopyOut(uint32_t offset, uint32_t length, void* destination, uint16_t structureType);

    uint32_t Dirty = 0;
    uint32_t ValueOwned = 0;
    nnotes::BLOCKID ItemBlock = nnotes::NULLBLOCKID;
    // The note whose item this is. A plain pointer: the note holds a reference on this body, and a counted
    // one back would keep both alive forever; the note clears it when it closes.
    LNNoteBody* Note = nullptr;
    uint16_t ItemFlags = 0;
    uint16_t NSFType = 0;
    uint32_t Open = 1;
    nnotes::BLOCKID ValueBlock = nnotes::NULLBLOCKID;
    uint8_t* LockedValue = nullptr;
    uint32_t LockCount = 0;
    uint32_t ValueSize = 0;
};
