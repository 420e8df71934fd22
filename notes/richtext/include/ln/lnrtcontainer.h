// LNRTContainer and LNRTContainerBody: the inner nodes of a rich-text tree. A container owns the interval
// [index value, end index value] and spreads its children over it; the top container of a rich text spans
// the whole range and has no record of its own.
#pragma once

#include "ln/lnrtobject.h"
#include "nnotes/memblock.h"

class LNFontStyle;
class LNRichText;
class LNRTCursor;
struct LNRTPosition;

class LNRTContainerBody : public LNRTObjectBody {
public:
    LNRTContainerBody();
    // Over a record, as objects are (stylized text is a container with a record).
    LNRTContainerBody(nnotes::DHANDLE pool, uint16_t block, uint32_t length);
    ~LNRTContainerBody() override;

    LNSTATUS Close() override;
    LNCLASSID GetClassID() const override { return LNCLASSID_LNRTCONTAINERBODY; }
    LNSTATUS Assign(LNRTObjectBody* source, bool deep) override;
    LNRTObjectBody* NewOfSameKind() const override;
    LNSTATUS GetContainerOfType(uint32_t type, LNRTObject* out) override;
    LNSTATUS GetFirstOfType(uint32_t type, LNRTObject* out) override;
    LNSTATUS GetLastOfType(uint32_t type, LNRTObject* out) override;
    LNSTATUS FindFirstInChildren(uint32_t type, bool* found, LNRTObject* out) override;
    LNSTATUS FindLastInChildren(uint32_t type, bool* found, LNRTObject* out) override;
    // Links object itself at the cursor: between the halves of a run the cursor cuts, at the end of the
    // cursor's container when it stands at the end, else before the object at the cursor.
    LNSTATUS InsertAtCursor(LNRTObject* object, const LNRTCursor& cursor) override;
    uint32_t GetEndIndexValue() const override { return EndIndexValue; }
    bool HasChildren() const override { return !FirstChild.IsNull(); }
    bool CanContain(uint32_t) const override { return true; }
    LNSTATUS Detach() override;
    LNSTATUS AppendChild(LNRTObject* child) override;
    LNSTATUS CopyChildrenInSelection(const RTSelection& selection, LNRTObjectBody* source,
                                     LNRTObject* before) override;
    LNRichTextBody* GetRichText() const override;
    uint32_t GetRecordLength() const override;
    LNSTATUS GetText(LNString* text) const override;
    LNSTATUS RenumberChildren() override;
    LNSTATUS SetDirty(bool dirty) override;
    void SetEndIndexValue(uint32_t value) override { EndIndexValue = value; }
    LNSTATUS WriteRecord(uint32_t* offset) override;

    // Appends text: it joins a last child that is stylized text, else starts a new run.
    virtual LNSTATUS Append(const LNString& text);
    // Appends a deep copy of object; the object itself stays where it is.
    LNSTATUS Append(const LNRTObject& object);
    // Appends copies of the children of another container (a copy is taken first when it is this one).
    LNSTATUS AppendChildrenOf(LNRTContainerBody* source);
    LNSTATUS RemoveChild(LNRTObject* object);
    virtual LNSTATUS DeleteChildren();
    virtual LNSTATUS GetFirstChild(LNRTObject* out) const;
    virtual LNSTATUS GetLastChild(LNRTObject* out) const;
    uint32_t GetChildCount() const;
    void AttachToRichText(LNRichTextBody* richText);

    // A cursor on the first stop of this container, or after its last one; none: LNWARN_NOT_FOUND and an
    // empty cursor. A run that already holds 20 handles gives LNERR_SUBSCRIPT_OUT_OF_RANGE.
    LNSTATUS GetStartCursor(LNRTCursor* cursor);
    LNSTATUS GetEndCursor(LNRTCursor* cursor);
    // Puts text at the cursor: into the run it stands in, else into a neighbouring run, else as a new run.
    // Text a run cannot hold continues in new runs of that run's style.
    virtual LNSTATUS InsertTextAtCursor(const LNString& text, const LNRTCursor& cursor);
    // Deletes from a up to b (runs cut at either end are split first; either end may lie in a nested
    // container); a then stands where the range was and b equals a. Where a run after the range already
    // holds 20 handles, a stands after what came before the range instead; with no such place either,
    // LNERR_SUBSCRIPT_OUT_OF_RANGE and the text stays as it was.
    LNSTATUS DeleteRange(LNRTCursor* a, LNRTCursor* b);
    // Gives the text from a up to b the bits of style that mask selects (runs cut at either end are split
    // first); elements are left as they are.
    LNSTATUS SetFontStyleInRange(LNRTCursor* a, LNRTCursor* b, const LNFontStyle& style,
                                 uint32_t mask) override;
    // Restyles the run the cursor stands in from the cursor on (a run cut by the cursor is split first);
    // a cursor on no run gives LNERR_OUT_OF_RANGE.
    LNSTATUS SetFontStyleFromCursor(const LNRTCursor& cursor, const LNFontStyle& style) override;
    // Puts a deep copy of object at the cursor; a run the cursor stands inside is split around it.
    LNSTATUS InsertObjectAtCursor(const LNRTCursor& cursor, const LNRTObject& object);
    // A new free-standing rich text holding copies of what lies from a up to b (runs cut at either end
    // are copied in part). This tree is not changed, and no handle of its runs is taken.
    LNSTATUS CopyRangeToRichText(const LNRTCursor& a, const LNRTCursor& b, LNRichText* out);
    // The same for count positions from the cursor: selected from it at once, or (the pointer form)
    // through an end cursor count positions on.
    LNSTATUS CopyCountToRichText(const LNRTCursor& cursor, uint32_t count, LNRichText* out);
    LNSTATUS CopyCountToRichText(const LNRTCursor* cursor, uint32_t count, LNRichText* out);
    // A new free-standing rich text holding a copy of the whole object.
    LNSTATUS CopyObjectToRichText(const LNRTObject& object, LNRichText* out);
    // Deletes count positions from the cursor (as DeleteRange).
    LNSTATUS DeleteCount(LNRTCursor* cursor, uint32_t count);
    // Puts a copy of the rich text's contents (taken first when it is this tree) at the cursor, as a
    // nested container.
    LNSTATUS InsertRichTextAtCursor(const LNRTCursor& cursor, const LNRichText& richText);
    // Appends copies of the contents of a rich text (this very one included).
    LNSTATUS Append(const LNRichText& richText);
    // The appends, throwing a failure instead of returning it.
    void AppendOrThrow(const LNString& text);
    void AppendOrThrow(const LNRTObject& object);
    void AppendOrThrow(const LNRichText& richText);
    // The reserved operation of the container: LNERR_NOT_IMPLEMENTED.
    virtual LNSTATUS Reserved();

protected:
    uint32_t TreeReferences() const override;
    // Opens the interval for a first child and links it.
    LNSTATUS LinkFirstChild(LNRTObject* child);
    // A cursor that does not stand in this tree throws LNERR_INVALID_RTCURSOR.
    void CheckCursor(const LNRTCursor* cursor) const;
    // Deletes from a up to to and puts a where the range was; b, when given, is the cursor at to, which
    // lets go first and then equals a.
    LNSTATUS DeleteTo(LNRTCursor* a, const LNRTPosition& to, LNRTCursor* b);

private:
    friend class LNRTObjectBody;
    LNRTObject FirstChild;
    uint32_t EndIndexValue = LNRT_NO_INDEX_VALUE;
    // Set on the top container only; the rich text outlives its tree.
    LNRichTextBody* RichText = nullptr;
};

class LNRTContainer : public LNRTObject {
public:
    LNRTContainer() = default;
    // A non-container object throws LNERR_CONVERSION.
    explicit LNRTContainer(const LNRTObject& object);
    LNRTContainer& operator=(const LNRTObject& object);
    // The handle takes body (null empties it).
    LNRTContainer& operator=(LNRTContainerBody* body);

    LNCLASSID GetClassID() const override { return LNCLASSID_LNRTCONTAINER; }
    LNSTATUS CopyObject(const LNRTObject& source, bool deep = true) override;
    LNRTContainerBody* GetContainerBody() const;

    // An empty handle gets a new free-standing container first.
    LNSTATUS Append(const LNString& text);
    LNSTATUS Append(const LNRTObject& object);
    LNSTATUS Append(const LNRichText& richText);
    void AppendOrThrow(const LNString& text);
    void AppendOrThrow(const LNRTObject& object);
    void AppendOrThrow(const LNRichText& richText);
    // Makes this container the top of the rich text's tree (an empty handle gets a new container).
    void AttachToRichText(LNRichTextBody* richText);

    // The range and cursor operations of the body (each LNERR_NOT_INITIALIZED without one).
    LNSTATUS GetStartCursor(LNRTCursor* cursor) const;
    LNSTATUS GetEndCursor(LNRTCursor* cursor) const;
    LNSTATUS InsertTextAtCursor(const LNString& text, const LNRTCursor& cursor);
    LNSTATUS InsertObjectAtCursor(const LNRTCursor& cursor, const LNRTObject& object);
    LNSTATUS InsertRichTextAtCursor(const LNRTCursor& cursor, const LNRichText& richText);
    LNSTATUS InsertAtCursor(LNRTObject* object, const LNRTCursor& cursor);
    LNSTATUS DeleteRange(LNRTCursor* a, LNRTCursor* b);
    LNSTATUS DeleteCount(LNRTCursor* cursor, uint32_t count);
    LNSTATUS CopyRangeToRichText(const LNRTCursor& a, const LNRTCursor& b, LNRichText* out) const;
    LNSTATUS CopyCountToRichText(const LNRTCursor& cursor, uint32_t count, LNRichText* out) const;
    LNSTATUS CopyCountToRichText(const LNRTCursor* cursor, uint32_t count, LNRichText* out) const;
    LNSTATUS CopyObjectToRichText(const LNRTObject& object, LNRichText* out) const;
    LNSTATUS CopyChildrenInSelection(const RTSelection& selection, const LNRTObject& source,
                                     LNRTObject* before = nullptr);
    LNSTATUS SetFontStyleInRange(LNRTCursor* a, LNRTCursor* b, const LNFontStyle& style, uint32_t mask);
    LNSTATUS SetFontStyleFromCursor(const LNRTCursor& cursor, const LNFontStyle& style);
    LNSTATUS GetFirstChild(LNRTObject* out) const;
    LNSTATUS GetLastChild(LNRTObject* out) const;
    LNSTATUS RemoveChild(LNRTObject* object);
    uint32_t GetChildCount() const;

private:
    LNRTContainerBody* Ensure();
    // Runs operation on the body, its status through the status filter.
    template <typename Operation>
    LNSTATUS OnBody(Operation operation) const;
};
