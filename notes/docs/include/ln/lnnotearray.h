// LNNoteArray: a set of note ids of one database (a search result, a note table) by index; its body is an ID
// table, or a full-text result table that also gives each entry's score. LNDocumentArray holds documents.
#pragma once

#include "ln/lndatabase.h"
#include "ln/lnidtable.h"
#include "nnotes/idtable.h"
#include "nnotes/memblock.h"

class LNDocument;

class LNNoteArray : public LNSmartPtr {
public:
    LNNoteArray() = default;
    LNNoteArray(const LNNoteArray& other) = default;
    virtual ~LNNoteArray() = default;
    LNNoteArray& operator=(const LNNoteArray& other);

    LNCLASSID GetClassID() const override { return LNCLASSID_LNNOTEARRAY; }
    LNNotesSession* GetSession() const override { return Database.GetSession(); }

    // Fills the handle (body may be null for an empty array).
    void SetBody(LNDatabaseBody* database, LNIDTable* body, uint16_t noteClass);
    // 0 for an empty handle.
    uint32_t GetCount() const;
    // Both throw LNERR_NOT_INITIALIZED for an empty handle.
    nnotes::DHANDLE GetIDTableHandle() const;
    // Past the count: LNERR_SUBSCRIPT_OUT_OF_RANGE (thrown).
    nnotes::NOTEID operator[](uint32_t index) const;
    bool IsFTSearchResult() const;
    // The score of a full-text result entry; 0 for any other array.
    uint32_t GetScore(uint32_t index) const;

    const LNDatabase& GetDatabase() const { return Database; }
    uint16_t GetNoteClass() const { return NoteClass; }

protected:
    LNIDTable* Table() const;

    LNDatabase Database;
    uint16_t NoteClass = 0;
};

class LNDocumentArray : public LNNoteArray {
public:
    LNDocumentArray() = default;
    LNDocumentArray(const LNDocumentArray& other) = default;
    ~LNDocumentArray() override = default;
    LNDocumentArray& operator=(const LNDocumentArray& other) = default;

    LNCLASSID GetClassID() const override { return LNCLASSID_LNDOCUMENTARRAY; }

    // The document at index as a handle that is not open; past the count: LNERR_SUBSCRIPT_OUT_OF_RANGE
    // (thrown).
    LNDocument GetDocument(uint32_t index) const;
};
