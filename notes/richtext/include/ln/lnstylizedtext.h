// LNStylizedText and LNStylizedTextBody: one run of text, a CD text record (signature 0xFF85: header with the
// run's font id, then the text in the Notes character set, padded to even). Characters are never stored as
// objects: they are counted and found in the record's text on demand, by the Notes string services.
#pragma once

#include "ln/lnfontstyle.h"
#include "ln/lnrtcontainer.h"
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
    LNSTATUS DeleteChildren() override { return LNNOERROR; }
    LNSTATUS GetFirstChild(LNRTObject* out) const override;
    LNSTATUS GetLastChild(LNRTObject* out) const override;

    // Bytes of text (without header and pad byte).
    uint32_t GetTextLength() const;
    // The most text bytes one run holds: its record must fit an output block beside the type word.
    static uint32_t MaxTextLength();
    // Bytes of the longest prefix of text, whole characters only, that fits in room bytes.
    static uint32_t FitBytes(const LNString& text, uint32_t room);
    // Characters of text; a text the string services cannot measure throws LNERR_STRING_SIZE.
    uint32_t GetCharacterCount() const;
    static uint32_t CharacterCount(const LNString& text);
    // Inserts text after the first position characters.
    LNSTATUS InsertText(uint32_t position, const LNString& text);
    // Keeps characters 1 to offset - 1; a new run after this one takes the rest.
    LNSTATUS SplitAt(uint32_t offset);
    // Cuts the run to characters first through last.
    LNSTATUS KeepCharacters(uint32_t first, uint32_t last);
    const LNFontStyle& GetFontStyle() const { return FontStyle; }
    LNSTATUS SetFontStyle(const LNFontStyle& style);

    // The character handles (cursors' included) that stand on this run's characters.
    LNRTCharArray RTCharArray;

private:
    LNStylizedTextBody();
    LNSTATUS FirstOrLastOfType(uint32_t type, LNRTObject* out, bool last);
    LNSTATUS ReadHeader(nnotes::ODSTextRecord* header) const;
    // The text bytes, copied out.
    LNSTATUS CopyText(LNString* text) const;
    // Byte position of the first `characters` characters of text.
    static uint32_t BytePosition(const LNString& text, uint32_t characters);

    LNFontStyle FontStyle;
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
