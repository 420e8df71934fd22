// LNRTContainer and LNRTContainerBody: the inner nodes of a rich-text tree. A container owns the interval
// [index value, end index value] and spreads its children over it; the top container of a rich text spans
// the whole range and has no record of its own.
#pragma once

#include "lnrtobject.h"

class LNFontStyle;
class LNRichText;
class LNRTCursor;

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
    LNSTATUS GetFirstOfType(uint32_t type, LNRTObject* out) override;
    LNSTATUS GetLastOfType(uint32_t type, LNRTObject* out) override;
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
    // empty cursor.
    LNSTATUS GetStartCursor(LNRTCursor* cursor);
    LNSTATUS GetEndCursor(LNRTCursor* cursor);
    // Puts text at the cursor: into the run it stands in, else into a neighbouring run, else as a new run.
    LNSTATUS InsertTextAtCursor(const LNString& text, const LNRTCursor& cursor);
    // Deletes from a up to b (runs cut at either end are split first; either end may lie in a nested
    // container); a then stands where the range was and b equals a.
    LNSTATUS DeleteRange(LNRTCursor* a, LNRTCursor* b);
    // Gives the text from a up to b the bits of style that mask selects (runs cut at either end are split
    // first); elements are left as they are.
    LNSTATUS SetFontStyleInRange(LNRTCursor* a, LNRTCursor* b, const LNFontStyle& style, uint32_t mask);
    // Restyles the run the cursor stands in from the cursor on (a run cut by the cursor is split first);
    // a cursor on no run gives LNERR_OUT_OF_RANGE.
    LNSTATUS SetFontStyleFromCursor(const LNRTCursor& cursor, const LNFontStyle& style);
    // Puts a deep copy of object at the cursor; a run the cursor stands inside is split around it.
    LNSTATUS InsertObjectAtCursor(const LNRTCursor& cursor, const LNRTObject& object);
    // A new free-standing rich text holding copies of what lies from a up to b (one container's children;
    // runs cut at either end are copied in part). This tree is not changed.
    LNSTATUS CopyRangeToRichText(const LNRTCursor& a, const LNRTCursor& b, LNRichText* out);

protected:
    // Opens the interval for a first child and links it.
    LNSTATUS LinkFirstChild(LNRTObject* child);
    // A cursor that does not stand in this tree throws LNERR_INVALID_RTCURSOR.
    void CheckCursor(const LNRTCursor* cursor) const;

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

    LNCLASSID GetClassID() const override { return LNCLASSID_LNRTCONTAINER; }
    LNSTATUS CopyObject(const LNRTObject& source, bool deep = true) override;
    LNRTContainerBody* GetContainerBody() const;

    // An empty handle gets a new free-standing container first.
    LNSTATUS Append(const LNString& text);
    LNSTATUS Append(const LNRTObject& object);
    LNSTATUS GetFirstChild(LNRTObject* out) const;
    LNSTATUS GetLastChild(LNRTObject* out) const;
    LNSTATUS RemoveChild(LNRTObject* object);
    uint32_t GetChildCount() const;

private:
    LNRTContainerBody* Ensure();
};
