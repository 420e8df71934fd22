// LNNote and LNNoteBody: one note of a database. The body is the open note: the store's note handle, the
// note's id and class, and one typed item body for each of its items, built when the note is opened. A handle
// may name a note that is not open yet (database and note id); Open then picks the body class by the note's
// class word.
#pragma once

#include "ln/lndatabase.h"
#include "ln/lndatetime.h"
#include "ln/lnitembody.h"
#include "ln/lnobjlist.h"
#include "nnotes/database.h"
#include "nnotes/idtable.h"
#include "nnotes/memblock.h"
#include "nnotes/note.h"
#include "nnotes/status.h"

#include <cstdint>
#include <vector>

class LNItem;
class LNItemArray;
class LNFontTable;
class LNNote;

// Note class words a new note may have.
using LNNOTECLASS = uint16_t;

// Duplicate rules of the item-creating operations.
constexpr uint32_t LNITEMDUP_ADD = 0;     // add a further item of the same name
constexpr uint32_t LNITEMDUP_REPLACE = 1; // delete every item of the name first
constexpr uint32_t LNITEMDUP_REFUSE = 2;  // refuse when an item of the name exists

class LNNoteBody : public LNBody {
public:
    // A new note of noteClass in the database, open from the start; it receives its id on the first Save.
    LNNoteBody(LNDatabaseBody* database, LNNOTECLASS noteClass, LNSTATUS* status);
    // Adopts a note handle that is already open, loading its items.
    LNNoteBody(nnotes::NOTEHANDLE handle, LNDatabaseBody* database, LNSTATUS* status);
    // A note of the database, to be opened later.
    LNNoteBody(LNDatabaseBody* database, nnotes::NOTEID noteId, LNSTATUS* status);
    LNNoteBody(const LNNoteBody&) = delete;
    LNNoteBody& operator=(const LNNoteBody&) = delete;
    ~LNNoteBody() override;

    // Not open: LNWARN_NOT_OPEN, returned as it is.
    LNSTATUS Close() override;
    LNCLASSID GetClassID() const override { return LNCLASSID_LNNOTEBODY; }
    // Already open: LNWARN_ALREADY_OPEN, returned as it is.
    virtual LNSTATUS Open(uint32_t options);
    // Flushes every dirty item body, then stores the note.
    virtual LNSTATUS Save(uint32_t options);

    bool IsOpen() const { return Handle != nnotes::NULLHANDLE; }
    // Throws LNERR_NOTE_NOT_OPEN when the note is not open.
    nnotes::NOTEHANDLE GetNoteHandle() const;
    nnotes::NOTEID GetNoteID() const { return NoteID; }
    // Read again from the open note.
    LNNOTECLASS GetNoteClass();
    LNDatabaseBody* GetDatabaseBody() const;
    const LNDatabase& GetDatabase() const { return Database; }

    // Items (each needs an open note: LNERR_NOTE_NOT_OPEN).
    LNSTATUS GetItem(const LNString& name, LNItem* item);
    // Throws its failures.
    bool HasItem(const LNString& name);
    uint32_t GetItemCount() const;
    // A copy of value (free-standing or of any open note) as a new item of this note.
    LNSTATUS CreateItem(const LNString& name, const LNItem& value, uint16_t flags, uint32_t duplicateRule,
                        LNItem* typed);
    // A new empty item of the type that typed's class stands for; typed takes it.
    LNSTATUS CreateItem(const LNString& name, LNItem* typed, uint16_t flags, uint32_t duplicateRule);
    // A new item from raw data (after the type word).
    LNSTATUS CreateItem(const LNString& name, uint16_t nsfType, const void* data, uint32_t length,
                        uint16_t flags, uint32_t duplicateRule, LNItem* typed);
    // Copies an item of an open note, under its own name, into this note.
    LNSTATUS CopyItem(const LNItem& item, uint32_t duplicateRule, LNItem* typed);
    // Deletes the item; the handle is emptied.
    LNSTATUS DeleteItem(LNItem* item);
    LNSTATUS DeleteItem(const LNString& name);
    LNSTATUS DeleteAllItems();
    LNSTATUS RenameItem(LNItem* item, const LNString& newName);
    LNSTATUS RenameItem(const LNString& oldName, const LNString& newName);
    // An array of the items of the given type (LNITEMTYPE_ANY: all); an empty one gives LNWARN_NOT_FOUND.
    LNSTATUS GetItems(LNItemArray* items, LNITEMTYPE type);

    // Note information (open note, else LNERR_NOTE_NOT_OPEN thrown).
    LNDatetime GetAddedToFile() const;
    LNDatetime GetLastModified() const;
    LNDatetime GetLastAccessed() const;
    // When the note was created (from its originator id).
    LNDatetime GetCreated() const;
    nnotes::ORIGINATORID GetOriginatorID() const;
    // The bytes of all item values, without their type words.
    uint32_t GetSize() const;
    bool IsModified();
    // A copy of the open note, in memory, that the handle takes.
    LNSTATUS Duplicate(LNNote* copy);

    // What the store's note calls answer, each operation named after its call (open note, else
    // LNERR_NOTE_NOT_OPEN thrown; a failing call is thrown as its Notes status): the note identity (the
    // first 16 bytes of the originator id), the text of GetNoteTextByLength, the two texts of GetNoteTexts
    // and the two values of GetNoteFlagPair.
    nnotes::UNIVERSALID GetNoteIdentity() const;
    LNString GetNoteTextByLength() const;
    LNString GetNoteTextsFirst() const;
    LNString GetNoteTextsSecond() const;
    uint32_t GetNoteFlagPairFirst() const;
    uint32_t GetNoteFlagPairSecond() const;
    // The store's three note actions; success marks the note modified, a failure is its Notes status.
    LNSTATUS NoteActionA();
    LNSTATUS NoteActionB();
    LNSTATUS NoteActionC();
    // Not provided: LNERR_NOT_IMPLEMENTED.
    LNSTATUS ReservedA();
    LNSTATUS ReservedB();
    LNSTATUS ReservedC();

    // Used by the item bodies of this note.
    // The body that stands for the item (built now when the item has none yet); none gives LNERR_NO_MATCH.
    // With a handle, the handle takes it when its class fits the body's type (else LNERR_INVALID_PARAMETER).
    LNSTATUS FindItemBodyByBlock(nnotes::BLOCKID item, LNItem* handle) const;
    // The first body of that NSF type and name; null when none.
    LNItemBody* FindItemBodyByName(const LNString& name, uint16_t nsfType) const;
    void SetModified() { Modified = 1; }
    // The body of the note's "$Fonts" item; null when it has none.
    LNItemBody* GetFontTableBody() const;
    // Every item's body, in the order of the items when the note was opened (then those added since).
    const LNObjectList& GetItemList() const;

    // Items appended to the open note by store calls: the blocks of every item it holds now, then bodies for
    // every item not among them (as the note's open builds them), or their deletion.
    std::vector<nnotes::BLOCKID> GetItemBlocks() const;
    LNSTATUS AdoptItemsExcept(const std::vector<nnotes::BLOCKID>& known);
    LNSTATUS DeleteItemsExcept(const std::vector<nnotes::BLOCKID>& known);

protected:
    // Walks every item of the open note and builds its body; with known, only for the items not in it.
    // Appended: the items not known were appended since, and join only a rich-text field new as well.
    LNSTATUS LoadItems(const std::vector<nnotes::BLOCKID>* known = nullptr, bool appended = false);
    // The note was just opened: its items get their bodies when first asked for.
    void DeferItems();

private:
    struct NewItem {
        nnotes::BLOCKID item;
        uint16_t flags;
        uint16_t nsfType;
        nnotes::BLOCKID value;
        uint32_t size;
    };

    nnotes::DBHANDLE GetDatabaseHandle() const;
    LNSTATUS NoteAction(nnotes::STATUS (*action)(nnotes::NOTEHANDLE));
    // The size of the database object that an item of TYPE_OBJECT names; throws LNERR_NOTE_SIZE.
    uint32_t ObjectSize(nnotes::BLOCKID value, uint32_t length) const;
    void ReadInfo(uint16_t selector, void* value) const;
    LNDatetime InfoTime(uint16_t selector) const;
    // The body for an item, by its type code.
    LNItemBody* NewItemBody(LNITEMTYPE type, const NewItem& item);
    LNSTATUS AddItemBody(LNItemBody* body);
    LNSTATUS QueryItem(nnotes::BLOCKID item, NewItem* found) const;
    // The duplicate rule before a new item of name; value is the item being copied, if any.
    LNSTATUS ApplyDuplicateRule(const LNString& name, uint32_t duplicateRule, const LNItemBody* value);
    // Builds the body of the item just appended, registers it and gives it to typed. When that fails the
    // item is deleted again, so that no item is left without a body.
    LNSTATUS AdoptNewItem(nnotes::BLOCKID appended, LNITEMTYPE type, LNItem* typed);
    LNSTATUS StoreItemUnderName(LNItemBody* body, const LNString& name);
    LNSTATUS CheckOwnItem(const LNItem* item) const;
    // Drops the note's reference and closes every item body.
    void ReleaseItems();
    // The body already built for the item, or null.
    LNItemBody* BoundBodyOf(nnotes::BLOCKID item) const;
    LNItemBody* BoundBodyByName(const LNString& name, uint16_t nsfType) const;
    // Builds the body of one item not bound yet (every item, when it is part of a rich-text field); a status
    // when the item is none of the note's.
    LNSTATUS BindItem(nnotes::BLOCKID item);
    // Builds the bodies of every item that has none yet; what is bound already keeps its body.
    LNSTATUS BindAllItems();

    LNDatabase Database;
    uint32_t Modified = 0;
    LNItemBody* FontTable = nullptr;
    // Keyed by the serial of the item each body was built for (its item block id at that time), so that
    // bodies built late take their places among the others, as if all had been built at the note's open.
    LNSortedObjectList Items;
    // False while items of the open note may have no body yet: the store hands out an item's value (and
    // hashes it, to see at the save whether it changed) only when a body is built for the item.
    bool AllItemsBound = true;
    nnotes::NOTEHANDLE Handle = nnotes::NULLHANDLE;
    nnotes::NOTEID NoteID = 0;
    LNNOTECLASS NoteClass = 0;
    LNObjectList ItemArrays;
};

class LNNote : public LNSmartPtr {
public:
    LNNote() = default;
    LNNote(const LNNote& other) = default;
    // A note not yet open.
    LNNote(LNDatabaseBody* database, nnotes::NOTEID noteId);
    explicit LNNote(LNNoteBody* body);
    virtual ~LNNote() = default;

    LNNote& operator=(const LNNote& other);
    LNNote& AssignBody(LNNoteBody* body) { return SetNoteBody(body); }

    LNCLASSID GetClassID() const override { return LNCLASSID_LNNOTE; }
    virtual LNSTATUS Close();
    virtual LNSTATUS Open(uint32_t options);
    virtual LNSTATUS Save(uint32_t options);

    // The handle takes body; database and note id follow it.
    LNNote& SetNoteBody(LNNoteBody* body);
    // Drops the body and keeps the database and id for a later Open.
    void SetNoteID(LNDatabaseBody* database, nnotes::NOTEID noteId);
    nnotes::NOTEID GetNoteID() const;
    bool IsOpen() const;
    LNNOTECLASS GetNoteClass() const;
    const LNDatabase& GetDatabase() const { return Database; }
    LNNoteBody* GetNoteBody() const { return static_cast<LNNoteBody*>(GetBody()); }

    LNSTATUS GetItem(const LNString& name, LNItem* item) const;
    bool HasItem(const LNString& name) const;
    uint32_t GetItemCount() const;
    LNSTATUS CreateItem(const LNString& name, const LNItem& value, uint16_t flags = 0,
                        uint32_t duplicateRule = LNITEMDUP_REFUSE, LNItem* typed = nullptr);
    LNSTATUS CreateItem(const LNString& name, LNItem* typed, uint16_t flags = 0,
                        uint32_t duplicateRule = LNITEMDUP_REFUSE);
    LNSTATUS CreateItem(const LNString& name, uint16_t nsfType, const void* data, uint32_t length,
                        uint16_t flags = 0, uint32_t duplicateRule = LNITEMDUP_REFUSE,
                        LNItem* typed = nullptr);
    LNSTATUS CopyItem(const LNItem& item, uint32_t duplicateRule = LNITEMDUP_REFUSE, LNItem* typed = nullptr);
    LNSTATUS DeleteItem(LNItem* item);
    LNSTATUS DeleteItem(const LNString& name);
    LNSTATUS DeleteAllItems();
    LNSTATUS RenameItem(LNItem* item, const LNString& newName);
    LNSTATUS RenameItem(const LNString& oldName, const LNString& newName);
    LNSTATUS GetItems(LNItemArray* items, LNITEMTYPE type = LNITEMTYPE_ANY) const;
    // The note's font table ("$Fonts"); none: LNWARN_NOT_FOUND. Built by the rich-text module, which
    // knows font tables.
    LNSTATUS GetFontTable(LNFontTable* table) const;

    LNDatetime GetAddedToFile() const;
    LNDatetime GetLastModified() const;
    LNDatetime GetLastAccessed() const;
    LNDatetime GetCreated() const;
    uint32_t GetSize() const;
    bool IsModified() const;
    LNSTATUS Duplicate(LNNote* copy) const;

    // Forwarded to the body (LNNoteBody above); without a body the values throw and the statuses return
    // LNERR_NOTE_NOT_OPEN for a handle that names a note, else LNERR_NOT_INITIALIZED.
    nnotes::UNIVERSALID GetNoteIdentity() const;
    LNString GetNoteTextByLength() const;
    LNString GetNoteTextsFirst() const;
    LNString GetNoteTextsSecond() const;
    uint32_t GetNoteFlagPairFirst() const;
    uint32_t GetNoteFlagPairSecond() const;
    LNSTATUS NoteActionA();
    LNSTATUS NoteActionB();
    LNSTATUS NoteActionC();
    LNSTATUS ReservedA();
    LNSTATUS ReservedB();
    LNSTATUS ReservedC();

protected:
    LNSTATUS ForwardStatus(LNSTATUS (LNNoteBody::*operation)()) const;
    // The status of an operation on a handle without a body.
    LNSTATUS NoBodyStatus() const;
    // The open body, or the status thrown when there is none.
    LNNoteBody* RequireBody() const;

    LNDatabase Database;
    nnotes::NOTEID NoteID = 0;
};
