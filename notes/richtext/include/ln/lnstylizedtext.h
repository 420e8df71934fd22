// LNStylizedText and LNStylizedTextBody: one run of text, a CD text record (signature 0xFF85: header with the
// run's font id, then the text in the Notes character set, padded to even). Characters are never stored as
// objects: they are counted and found in the record's text on demand, by the Notes string services.
#pragma once

#include "ln/lnfontstyle.h"
#include "ln/lnrtcontainer.h"
#include "ln/lnrtcursor.h"
#include "nnotes/memblock.h"
#include "nnotes/ods.h"

#include <vector>

// The character handles registered with one run, in registration order (at most 20).
class LNRTCharArray {
public:
    static constexpr uint32_t Capacity = 20;

    // A 21st handle is refused with LNERR_SUBSCRIPT_OUT_OF_RANGE.
    LNSTATUS Add(LNRTObject* handle);
    // Index from 0; past the last: LNERR_SUBSCRIPT_OUT_OF_RANGE.
    LNSTATUS Get(uint32_t index, LNRTObject** handle) const;
    uint32_t GetCount() const { return Count; }
    void Remove(LNRTObject* handle);
    // A handle that moved to another place takes its entry.
    void Replace(LNRTObject* old, LNRTObject* handle) noexcept;
    void RemoveAt(uint32_t index);
    // Empties every handle, the last first; each leaves the array as it goes.
    void DetachAll();

private:
    LNRTObject* Entries[Capacity] = {};
    uint32_t Count = 0;
};

class LNStylizedTextBody : public LNRTContainerBody {
public:
    // Over a text record of the item; another signature throws LNERR_WRONG_RICHTEXT_TYPE.
    LNStylizedTextBody(nnotes::DHANDLE pool, uint16_t block, uint32_t length, const LNFontTable& fonts);
    // A new run holding text in the default font.
    explicit LNStylizedTextBody(const LNString& text);
    ~LNStylizedTextBody() override;

    LNSTATUS Close() override;
    LNCLASSID GetClassID() const override { return LNCLASSID_LNSTYLIZEDTEXTBODY; }
    LNSTATUS Assign(LNRTObjectBody* source, bool deep) override;
    LNRTObjectBody* NewOfSameKind() const override;
    LNSTATUS GetFirstOfType(uint32_t type, LNRTObject* out) override;
    LNSTATUS GetLastOfType(uint32_t type, LNRTObject* out) override;
    bool HasChildren() const override { return GetTextLength() > 0; }
    bool CanContain(uint32_t type) const override {
        return (type & LNRTTYPE_STYLIZED_TEXT) == LNRTTYPE_STYLIZED_TEXT;
    }
    LNSTATUS AppendChild(LNRTObject*) override;
    // The text goes in at the cursor, which must stand on this run.
    LNSTATUS InsertTextAtCursor(const LNString& text, const LNRTCursor& cursor) override;
    // Cuts this copy of source to the characters of source that selection holds.
    LNSTATUS CopyChildrenInSelection(const RTSelection& selection, LNRTObjectBody* source,
                                     LNRTObject* before) override;
    uint32_t GetRecordLength() const override { return LNRTObjectBody::GetRecordLength(); }
    LNSTATUS GetText(LNString* text) const override;
    LNSTATUS RenumberChildren() override { return LNNOERROR; }
    LNSTATUS SetDirty(bool dirty) override { return LNRTObjectBody::SetDirty(dirty); }
    LNSTATUS WriteRecord(uint32_t* offset) override;
    LNSTATUS Append(const LNString& text) override;
    // The run's characters leave with it: every character handle (cursors' included) is emptied.
    LNSTATUS DeleteChildren() override;
    LNSTATUS GetFirstChild(LNRTObject* out) const override;
    LNSTATUS GetLastChild(LNRTObject* out) const override;
    // Restyles this run from the cursor on, which must stand on one of its characters (else
    // LNERR_OUT_OF_RANGE): the whole run from its first character, else the part split off at the cursor.
    LNSTATUS SetFontStyleFromCursor(const LNRTCursor& cursor, const LNFontStyle& style) override;
    // Gives the characters of this run that lie from a up to b the bits of style that mask selects (the
    // run is split where a or b cuts it). Cursors of another tree throw LNERR_INVALID_RTCURSOR.
    LNSTATUS SetFontStyleInRange(LNRTCursor* a, LNRTCursor* b, const LNFontStyle& style,
                                 uint32_t mask) override;

    // Bytes of text (without header and pad byte).
    uint32_t GetTextLength() const;
    // The most text bytes one run holds: its record must fit an output block beside the type word. A run
    // may hold more for a while (a record that another program wrote, a run outside any tree); it is split
    // when its rich text is written.
    static uint32_t MaxTextLength();
    // Bytes of the longest prefix of text, whole characters only, that fits in room bytes.
    static uint32_t FitBytes(const LNString& text, uint32_t room);
    // Characters of text; a text the string services cannot measure throws LNERR_STRING_SIZE.
    uint32_t GetCharacterCount() const;
    static uint32_t CharacterCount(const LNString& text);
    // Inserts text after the first position characters (at most what one record holds).
    LNSTATUS InsertText(uint32_t position, const LNString& text);
    // Inserts text after the first position characters; what would grow a run in a container past
    // MaxTextLength continues in new runs of this run's style, before the rest of this run's text. *end,
    // when given, receives the stop of the last character put in. Handles that stood just after the
    // insertion point stand after the new text.
    LNSTATUS PutText(uint32_t position, const LNString& text, LNRTStop* end = nullptr);
    // Splits this run, and the runs split off it, until each holds at most MaxTextLength bytes.
    LNSTATUS SplitToFit();
    // Merges the bits of style that mask selects into this run's style.
    LNSTATUS MergeFontStyle(const LNFontStyle& style, uint32_t mask);
    // Keeps characters 1 to offset - 1; a new run after this one takes the rest.
    LNSTATUS SplitAt(uint32_t offset);
    // Cuts the run to characters first through last.
    LNSTATUS KeepCharacters(uint32_t first, uint32_t last);
    const LNFontStyle& GetFontStyle() const { return FontStyle; }
    LNSTATUS SetFontStyle(const LNFontStyle& style);

    // The character handles (cursors' included) that stand on this run's characters.
    LNRTCharArray RTCharArray;

protected:
    void OnRecordChanged() override { CountKnown = false; }

private:
    LNStylizedTextBody();
    LNSTATUS FirstOrLastOfType(uint32_t type, LNRTObject* out, bool last);
    // A style like this run's, for the runs split or spilled off it.
    LNFontStyle CopyOfFontStyle() const;
    // style made valid in the rich text that holds this run (as it is outside any).
    LNSTATUS AdoptedStyle(const LNFontStyle& style, uint32_t mask, LNFontStyle* adopted);
    LNSTATUS ReadHeader(nnotes::ODSTextRecord* header) const;
    // The text bytes, copied out.
    LNSTATUS CopyText(LNString* text) const;
    // Byte position of the first `characters` characters of text.
    static uint32_t BytePosition(const LNString& text, uint32_t characters);

    LNFontStyle FontStyle;
    // The character count, known until the record next changes: stepping through a long run must not
    // count it again at every step.
    mutable uint32_t CachedCount = 0;
    mutable bool CountKnown = false;
};

class LNStylizedText : public LNRTContainer {
public:
    LNStylizedText() = default;
    explicit LNStylizedText(const LNString& text);
    // An object that is not stylized text throws LNERR_CONVERSION.
    explicit LNStylizedText(const LNRTObject& object);
    LNStylizedText& operator=(const LNRTObject& object);

    LNCLASSID GetClassID() const override { return LNCLASSID_LNSTYLIZEDTEXT; }
    LNSTATUS CopyObject(const LNRTObject& source, bool deep = true) override;

    // Each throws LNERR_NOT_INITIALIZED without a body.
    uint32_t GetTextLength() const;
    uint32_t GetCharacterCount() const;
    LNSTATUS SplitAt(uint32_t offset);
    LNSTATUS GetFontStyle(LNFontStyle* style) const;
    LNSTATUS SetFontStyle(const LNFontStyle& style);

private:
    LNStylizedTextBody* Run() const;
};
