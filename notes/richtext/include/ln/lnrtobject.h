// LNRTObject and LNRTObjectBody: one node of a rich-text tree, standing for one CD record. A body reads its
// record in place through a view of the item memory until it is changed; a change gives it a value block of
// its own (dirty, CD outdated) until the record is written out again. Index values order the objects in
// document order: each object covers [index value, end index value], children lie strictly inside their
// container's interval, and gaps are left so that most insertions need no renumbering.
//
// Ownership runs one way: a container owns its first child, each object owns its next sibling; parent and
// previous-sibling links are plain pointers, so a tree never keeps itself alive.
#pragma once

#include "ln/lnclass.h"
#include "ln/lnmemoryblock.h"
#include "ln/lnstring.h"
#include "nnotes/memblock.h"

#include <cstdint>

constexpr uint32_t LNRTTYPE_OBJECT = 1;
constexpr uint32_t LNRTTYPE_ELEMENT = 3; // any object a cursor can stand on
constexpr uint32_t LNRTTYPE_COMPOSITE_DATA = 7;
constexpr uint32_t LNRTTYPE_FORM_FIELD = 11;
constexpr uint32_t LNRTTYPE_CHAR = 0x13;
constexpr uint32_t LNRTTYPE_CONTAINER = 0x21;
constexpr uint32_t LNRTTYPE_STYLIZED_TEXT = 0x61;
constexpr uint32_t LNRTTYPE_RICHTEXT = 0x221;

constexpr uint32_t LNRT_MIN_INDEX_VALUE = 1;
constexpr uint32_t LNRT_MAX_INDEX_VALUE = 4000000000u;
constexpr uint32_t LNRT_NO_INDEX_VALUE = 4000000001u;

constexpr uint32_t LNRTOBJECTBODY_DIRTY = 0x01;
constexpr uint32_t LNRTOBJECTBODY_INVALID = 0x02;
constexpr uint32_t LNRTOBJECTBODY_CDOUTDATED = 0x10;

class LNFontStyle;
class LNFontTable;
class LNRichText;
class LNRTContainerBody;
class LNRTCursor;
class LNRTObjectBody;
class LNRichTextBody;
struct RTSelection;

// A handle stands for an object, or, with a character offset (from 1), for one character of a stylized-text
// run. A character handle registers with its run (at most 20 per run) so that text edits and splits carry
// it along; emptying or re-pointing it, or closing the run, ends that.
class LNRTObject : public LNSmartPtr {
public:
    LNRTObject() = default;
    explicit LNRTObject(LNRTObjectBody* body);
    // Character offset of the run body; offset 0 with a body throws LNERR_CORRUPTED, a full run
    // LNERR_SUBSCRIPT_OUT_OF_RANGE.
    LNRTObject(LNRTObjectBody* body, uint32_t offset);
    // A copy of a character handle registers too (a full run throws LNERR_SUBSCRIPT_OUT_OF_RANGE).
    LNRTObject(const LNRTObject& other);
    LNRTObject& operator=(const LNRTObject& other);
    // A moved character handle takes over the other's place among its run's handles, so that containers of
    // handles can grow without counting any handle twice.
    LNRTObject(LNRTObject&& other) noexcept;
    LNRTObject& operator=(LNRTObject&& other) noexcept;
    virtual ~LNRTObject();

    LNCLASSID GetClassID() const override { return LNCLASSID_LNRTOBJECT; }
    LNRTObjectBody* GetObjectBody() const;
    // The handle takes body as an object (a character handle stops being one).
    LNRTObject& SetObjectBody(LNRTObjectBody* body);

    uint32_t GetCharacterOffset() const { return Offset; }
    bool HasOffset() const { return Offset != 0; }
    // Moves a character handle within its run; turning an object handle into a character handle or back
    // throws LNERR_CORRUPTED.
    void SetCharacterOffset(uint32_t offset);
    // Body and offset together, for a character (a body with offset 0 throws LNERR_CORRUPTED); a null body
    // empties the handle. A run that already holds 20 character handles gives LNERR_SUBSCRIPT_OUT_OF_RANGE
    // and leaves the handle as it was.
    LNSTATUS SetBodyAndOffset(LNRTObjectBody* body, uint32_t offset);
    // Whether a character handle stands just after its character: text put in right after that character
    // then goes before the handle.
    virtual bool StandsAfter() const { return false; }

    // Appends the object's text to text (a character: LNERR_UNEXPECTED_CALLED).
    LNSTATUS GetText(LNString* text) const;
    // A character is of type LNRTTYPE_CHAR alone.
    bool IsType(uint32_t type) const;
    uint32_t GetType() const;
    LNSTATUS AppendChild(LNRTObject* child);
    // This handle takes a new body: a copy of source (deep: with its children). A character cannot be
    // copied (LNERR_INAPPROPRIATE_FOR_OBJECT).
    virtual LNSTATUS CopyObject(const LNRTObject& source, bool deep = true);
    // The innermost container of type that holds the object (a container: itself when of the type).
    LNSTATUS GetContainerOfType(uint32_t type, LNRTObject* out) const;
    // The first or last object of type in the object (itself included; a run gives a character handle
    // for the character types 3 and 0x13). None: LNWARN_NOT_FOUND and an empty out.
    LNSTATUS GetFirstOfType(uint32_t type, LNRTObject* out) const;
    LNSTATUS GetLastOfType(uint32_t type, LNRTObject* out) const;
    // The first or last object of type among the children (found tells whether there was one).
    LNSTATUS FindFirstInChildren(uint32_t type, bool* found, LNRTObject* out) const;
    LNSTATUS FindLastInChildren(uint32_t type, bool* found, LNRTObject* out) const;
    // The first (or last) occurrence of text in the object's runs after (before) position, a character
    // handle (empty: from the start, or the end); found, the position is the match's first character.
    // options bit 0 keeps case, bit 1 keeps accents. None: LNWARN_NOT_FOUND.
    LNSTATUS FindFirstString(const LNString& text, uint32_t options, LNRTObject* position, bool* found) const;
    LNSTATUS FindLastString(const LNString& text, uint32_t options, LNRTObject* position, bool* found) const;
    // The rich text that holds the tree (empty when none).
    LNSTATUS GetRichText(LNRichText* out) const;
    uint32_t GetIndexValue() const;
    uint32_t GetEndIndexValue() const;
    // A character has none: 0.
    virtual uint32_t GetRecordLength() const;
    uint16_t GetSignature() const;
    bool IsValid() const;
    bool IsDirty() const;
    LNSTATUS SetDirty(bool dirty);
    // Writes the record into its rich text's output blocks at *offset.
    LNSTATUS WriteRecord(uint32_t* offset);
    // Next or previous sibling (a character: the next or previous character of its run), or the parent
    // (a character's is its run); none: LNWARN_NOT_FOUND and an empty out.
    LNSTATUS GetNext(LNRTObject* out) const;
    LNSTATUS GetPrevious(LNRTObject* out) const;
    LNSTATUS GetParent(LNRTObject* out) const;
    // The last of the object's siblings, itself when it is the last (a character: the last character of its
    // run).
    LNSTATUS GetLastSibling(LNRTObject* out) const;
    // The next or previous object of type in document order (a character looks at the rest of its run
    // first); none: LNWARN_NOT_FOUND and an empty out.
    LNSTATUS GetNextOfType(uint32_t type, LNRTObject* out) const;
    LNSTATUS GetPreviousOfType(uint32_t type, LNRTObject* out) const;
    // The parentless container at the root; none: LNWARN_NOT_FOUND.
    LNSTATUS GetTopContainer(LNRTObject* out) const;
    LNSTATUS RenumberChildren();
    // Places object (not yet in any container) after or before this object.
    LNSTATUS InsertAfter(LNRTObject* object);
    LNSTATUS InsertBefore(LNRTObject* object);
    LNSTATUS Detach();
    // In a container (a character always is).
    bool IsMember() const;
    // Whether object lies inside this one.
    bool IsAncestorOf(const LNRTObject& object) const;
    // This object lies wholly before other: by index values, and two characters of one run by offset.
    bool IsBefore(const LNRTObject& other) const;
    // Same body and same character offset.
    bool operator==(const LNRTObject& other) const {
        return GetBody() == other.GetBody() && Offset == other.Offset;
    }
    bool operator!=(const LNRTObject& other) const { return !(*this == other); }
    // A character has no index values of its own: LNERR_INAPPROPRIATE_FOR_OBJECT thrown.
    void SetIndexValue(uint32_t value);
    void SetEndIndexValue(uint32_t value);

protected:
    // The body, or LNERR_NOT_INITIALIZED thrown.
    LNRTObjectBody* Require() const;
    // Takes object's body when it is empty or of type, else throws LNERR_CONVERSION.
    void AssignOfType(const LNRTObject& object, uint32_t type);
    // CopyObject for a source that must be of type (else LNERR_INAPPROPRIATE_FOR_OBJECT).
    LNSTATUS CopyObjectOfType(const LNRTObject& source, uint32_t type, bool deep);

private:
    friend class LNStylizedTextBody;
    friend class LNRTCharArray;
    friend LNRTObject LNRTUnregisteredCharacter(LNRTObjectBody* run, uint32_t offset);
    // Set by the run that this character handle is registered with, which keeps its own records.
    void MoveCharacter(LNRTObjectBody* body, uint32_t offset);
    // Moves other's body, offset and registration into this empty handle.
    void TakeOver(LNRTObject& other) noexcept;

    uint32_t Offset = 0;
    // A character handle that its run does not know of: held only by operations of this module while the
    // tree stays as it is.
    bool Unregistered = false;
};

class LNRTObjectBody : public LNBody {
public:
    LNRTObjectBody() = default;
    // Over the record of length bytes (held rounded up to even) at {pool, block}.
    LNRTObjectBody(nnotes::DHANDLE pool, uint16_t block, uint32_t length);
    LNRTObjectBody(const LNRTObjectBody&) = delete;
    LNRTObjectBody& operator=(const LNRTObjectBody&) = delete;
    ~LNRTObjectBody() override;

    // Builds the body for the record at {pool, block}: text records become stylized text, every other
    // record an element. A record that cannot be read is thrown as its status.
    static LNRTObjectBody* FromRecord(uint16_t signature, nnotes::DHANDLE pool, uint16_t block,
                                      uint32_t length, const LNFontTable& fonts);

    LNSTATUS Close() override;
    LNCLASSID GetClassID() const override { return LNCLASSID_LNRTOBJECTBODY; }
    // Copies source's record (not its links); deep is for containers.
    virtual LNSTATUS Assign(LNRTObjectBody* source, bool deep);
    // A new unlinked body of the same kind (without record bytes).
    virtual LNRTObjectBody* NewOfSameKind() const;
    // The innermost container of type holding this object (itself for a container of the type).
    virtual LNSTATUS GetContainerOfType(uint32_t type, LNRTObject* out);
    virtual LNSTATUS GetFirstOfType(uint32_t type, LNRTObject* out);
    virtual LNSTATUS GetLastOfType(uint32_t type, LNRTObject* out);
    // A leaf has no children: nothing found.
    virtual LNSTATUS FindFirstInChildren(uint32_t type, bool* found, LNRTObject* out);
    virtual LNSTATUS FindLastInChildren(uint32_t type, bool* found, LNRTObject* out);
    // Text searches over the runs of this object (see LNRTObject).
    virtual LNSTATUS FindFirstString(const LNString& text, uint32_t options, LNRTObject* position,
                                     bool* found);
    virtual LNSTATUS FindLastString(const LNString& text, uint32_t options, LNRTObject* position,
                                    bool* found);
    // Objects take a style only where they hold text: a leaf does nothing.
    virtual LNSTATUS SetFontStyleFromCursor(const LNRTCursor&, const LNFontStyle&) { return LNNOERROR; }
    virtual LNSTATUS SetFontStyleInRange(LNRTCursor*, LNRTCursor*, const LNFontStyle&, uint32_t) {
        return LNNOERROR;
    }
    // A leaf cannot hold object: LNERR_ELEMENT_CHILD.
    virtual LNSTATUS InsertAtCursor(LNRTObject* object, const LNRTCursor& cursor);
    virtual uint32_t GetEndIndexValue() const { return IndexValue; }
    uint32_t GetIndexValue() const { return IndexValue; }
    virtual bool HasChildren() const { return false; }
    virtual bool CanContain(uint32_t) const { return false; }
    // Whether only the tree's own links and one handle (the caller's) hold this body: false when closed.
    // A tree holds an object by one link, its parent's first-child link or its previous sibling's
    // next-sibling link; a rich text holds its top container.
    virtual bool IsReferencedOnlyByTree() const;
    bool IsType(uint32_t type) const { return (Type & type) == type; }
    uint32_t GetType() const { return Type; }
    virtual LNSTATUS Detach();
    virtual LNSTATUS AppendChild(LNRTObject* child);
    // Copies into this copy of source the part of source's children that selection holds (before, when
    // given, is a child of this object that the copies go in front of). A leaf has none: with before it
    // gives LNERR_INVALID_PARAMETER.
    virtual LNSTATUS CopyChildrenInSelection(const RTSelection& selection, LNRTObjectBody* source,
                                             LNRTObject* before);
    // The rich text that holds the tree; null when none.
    virtual LNRichTextBody* GetRichText() const;
    virtual uint32_t GetRecordLength() const;
    virtual LNSTATUS GetText(LNString* text) const;
    virtual LNSTATUS RenumberChildren() { return LNNOERROR; }
    virtual LNSTATUS SetDirty(bool dirty);
    virtual void SetEndIndexValue(uint32_t) {}
    void SetIndexValue(uint32_t value) { IndexValue = value; }
    // Writes the record into the rich text's output blocks at *offset and views it there.
    virtual LNSTATUS WriteRecord(uint32_t* offset);
    LNSTATUS WriteBackValueBlock();

    // Record bytes, from the block in use.
    uint16_t GetSignature() const;
    LNSTATUS ReadBytes(uint32_t count, void* destination, uint32_t offset) const;
    LNSTATUS ReadStructure(uint16_t type, void* destination, uint32_t offset) const;
    LNSTATUS WriteBytes(uint32_t count, const void* source, uint32_t offset);
    LNSTATUS WriteStructure(uint16_t type, const void* source, uint32_t offset);
    LNSTATUS ShiftBytes(uint32_t count, uint32_t shift, uint32_t offset);
    // Gives the object a value block of size bytes (0: its current size) holding its record.
    LNSTATUS SetRecordSize(uint32_t size);
    bool IsRecordComplete() const;
    bool UseValueBlock() const { return ValueBlock.GetSize() != 0; }
    uint32_t GetBlockSize() const { return BlockInUse().GetSize(); }
    bool IsValid() const;
    bool IsDirty() const { return (Flags & LNRTOBJECTBODY_DIRTY) != 0; }
    bool IsClosed() const { return Closed != 0; }

    LNRTContainerBody* GetParent() const { return Parent; }
    LNRTObjectBody* GetNextSibling() const { return NextSibling.GetObjectBody(); }
    LNRTObjectBody* GetPreviousSibling() const { return PreviousSibling; }
    // Follows the next-sibling links to the last sibling (this object when it is the last).
    LNRTObjectBody* GetLastSibling() const;
    // Whether this object lies wholly before other by index values.
    bool CheckIndexValues(const LNRTObjectBody* other) const;
    // The parentless container at the root of the tree; null when the root is no container.
    LNRTContainerBody* GetTopContainer();
    bool IsInside(const LNRTContainerBody* container) const;

    LNSTATUS InsertAfter(LNRTObject* object);
    LNSTATUS InsertBefore(LNRTObject* object);

protected:
    const LNMemoryBlock& BlockInUse() const { return UseValueBlock() ? ValueBlock : RecordView; }
    // Record length from the header of the block in use; decoding failures are thrown.
    uint32_t HeaderLength() const;
    void SetType(uint32_t type) { Type = type; }
    void MarkClosed() { Closed = 1; }
    // The links of the tree that hold this body (see IsReferencedOnlyByTree).
    virtual uint32_t TreeReferences() const;
    // Called whenever the record bytes change, for kinds that keep what they read from them.
    virtual void OnRecordChanged() {}

private:
    friend class LNRTContainerBody;
    // The free span beside this object (after it, or before it) and the step that places object there,
    // renumbering the parent and then the whole tree when the span is below 10 or too narrow for the
    // interval object's children need.
    LNSTATUS MakeRoom(bool after, const LNRTObjectBody* object, uint32_t* bound, uint32_t* step);
    // Renumbers around inserted, just linked beside this object where no room was made for it.
    LNSTATUS SpreadAround(LNRTObjectBody* inserted);
    uint32_t FreeSpan(bool after, uint32_t* bound) const;

    uint32_t Closed = 0;
    uint32_t Flags = 0;
    LNRTContainerBody* Parent = nullptr;
    LNRTObjectBody* PreviousSibling = nullptr;
    LNRTObject NextSibling;
    uint32_t IndexValue = LNRT_NO_INDEX_VALUE;
    uint32_t Type = LNRTTYPE_OBJECT;
    LNMemoryBlock RecordView;
    LNMemoryBlock ValueBlock;
};

// The step that places a new object in a free span: an eighth while the span is at most 1,000,000, else a
// fixed 100,000.
constexpr uint32_t LNRTIndexStep(uint32_t span) {
    return span <= 1000000u ? span >> 3 : 100000u;
}
// The narrowest interval object can take so that renumbering spreads its children, and theirs, without
// running out of index values (at most LNRT_MAX_INDEX_VALUE).
uint32_t LNRTIndexRoom(const LNRTObjectBody* object);
// The step that places object in a free span, 0 when the span cannot hold it: the usual step, widened to
// the room the object needs, with room left at both ends of the span.
uint32_t LNRTIndexStepFor(uint32_t span, const LNRTObjectBody* object);
