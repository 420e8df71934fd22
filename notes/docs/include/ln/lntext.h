// Text items: one text (TYPE_TEXT) or a list of texts (TYPE_TEXT_LIST). LNText is the handle, LNTextBody the
// body and LNTextElement one entry by index. Texts are stored in the Notes character set with every line feed
// held as a NUL byte. Each change to a text item of a note is written into the note at once.
#pragma once

#include "ln/lnitem.h"
#include "ln/lnlisthandle.h"
#include "nnotes/memblock.h"
#include "nnotes/note.h"

#include <functional>
#include <string>

class LNText;

class LNTextBody : public LNItemBody {
public:
    // Free-standing over a list block (type word and list) built by the caller; NSF type TYPE_TEXT_LIST.
    LNTextBody(nnotes::BLOCKID value, uint32_t size);
    // Free-standing from raw item data (the bytes after the type word) of TYPE_TEXT or TYPE_TEXT_LIST; always
    // held as a list. Throws LNERR_SESSION_NOT_INITIALIZED and a failed allocation's Notes status.
    LNTextBody(const void* value, uint16_t nsfType, uint32_t size);
    LNTextBody(LNNoteBody* note, nnotes::BLOCKID item, uint16_t nsfType, uint16_t flags,
               nnotes::BLOCKID value, uint32_t size);

    LNCLASSID GetClassID() const override { return LNCLASSID_LNTEXTBODY; }
    LNSTATUS Flush(const LNString* name) override;

    // Every operation needs the API started (else LNERR_SESSION_NOT_INITIALIZED); statuses are unfiltered.
    uint32_t GetCount();
    LNSTATUS Insert(uint32_t index, const LNString& text);
    LNSTATUS Insert(uint32_t index, const LNText& other);
    LNSTATUS Delete(uint32_t index, uint32_t count);
    // Gives the entry at index a new text in one store: a list that fills its value takes a shorter one.
    LNSTATUS Replace(uint32_t index, const LNString& text);
    LNSTATUS DeleteAll();
    LNSTATUS SetText(const LNString& text);
    LNSTATUS SetText(const LNText& other);
    // The entry's text (line feeds restored); index must be below GetCount.
    LNString GetEntry(uint32_t index);

private:
    // True when the value is one text after the type word (a TYPE_TEXT item of a note).
    bool IsSingleText() const { return IsInNote() && GetNSFType() == nnotes::TYPE_TEXT; }
    // The stored bytes of an entry (NULs for line feeds); unfiltered status.
    LNSTATUS RawEntry(uint32_t index, std::string* bytes);
    // A new list block (with type word) holding this body's entries; unfiltered status.
    LNSTATUS CopyList(nnotes::DHANDLE* list, uint16_t* size);
    // Makes list (a block of size bytes) the value: stored in the note, or kept as the free-standing value;
    // the block is taken in every case.
    LNSTATUS StoreList(nnotes::DHANDLE list,
                       uint16_t size); // Runs edit(list, count, size) on a copy of the list (its block, entry
                                       // count and size in bytes), then
    // stores the copy, or frees it when the edit fails.
    template <class Edit>
    LNSTATUS EditList(Edit edit);
};

class LNTextElement : public LNListElement<LNTextBody, LNString> {
public:
    // index must be below body's count.
    LNTextElement(LNTextBody* body, uint32_t index) : LNListElement(body, index, "lntext") {}
    LNTextElement(const LNTextElement& other) = default;

    LNCLASSID GetClassID() const override { return LNCLASSID_LNTEXTELEMENT; }

    LNString GetText() const { return GetValue(); }
    // Replaces the entry; a failure is thrown.
    LNTextElement& operator=(const LNString& text) {
        Replace(text);
        return *this;
    }
    LNTextElement& operator=(const char* text) { return *this = LNString(text); }
    LNTextElement& operator=(const LNTextElement& other) { return *this = other.GetText(); }
};

class LNText : public LNItem {
public:
    LNText() = default;
    LNText(const LNText& other) = default;
    // Throws LNERR_CONVERSION unless the item is empty or a text item.
    LNText(const LNItem& item);
    ~LNText() override = default;

    LNText& operator=(const LNText& other);
    LNText& operator=(const LNItem& item);

    LNCLASSID GetClassID() const override { return LNCLASSID_LNTEXT; }

    uint32_t GetCount() const;
    // Throws LNERR_NOT_INITIALIZED for an empty handle and LNERR_INVALID_PARAMETER past the count.
    LNTextElement operator[](uint32_t index) const;

    // An empty handle accepts index 0 only and gets a new free-standing value.
    LNSTATUS Insert(uint32_t index, const LNString& text);
    LNSTATUS Insert(uint32_t index, const char* text) { return Insert(index, LNString(text)); }
    LNSTATUS Insert(uint32_t index, const LNText& other);
    LNSTATUS Append(const LNString& text);
    LNSTATUS Append(const char* text) { return Append(LNString(text)); }
    LNSTATUS Append(const LNText& other);
    // Append, throwing a failure.
    LNText& operator<<(const LNString& text);
    LNText& operator<<(const char* text) { return *this << LNString(text); }
    LNText& operator<<(const LNText& other);
    LNSTATUS SetText(const LNString& text);
    LNSTATUS SetText(const char* text) { return SetText(LNString(text)); }
    LNSTATUS SetText(const LNText& other);
    LNSTATUS Delete(uint32_t index, uint32_t count);
    LNSTATUS DeleteAll();

    LNTextBody* GetTextBody() const { return static_cast<LNTextBody*>(GetBody()); }

private:
    // Gives an empty handle a new free-standing value that fill fills.
    LNSTATUS Attach(const std::function<LNSTATUS(LNTextBody*)>& fill);
};
