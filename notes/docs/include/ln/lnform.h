// LNForm and LNFormBody: a form note (class 0x0004), the design a document's "Form" item names. A form can be
// created with a title; otherwise it is a note like any other. LNFormArray holds the forms of a database.
#pragma once

#include "ln/lnnote.h"
#include "ln/lnnotearray.h"
#include "nnotes/idtable.h"
#include "nnotes/note.h"

class LNFormBody : public LNNoteBody {
public:
    // A new form of the database titled name; an empty name gives LNERR_NAME_REQUIRED and no "$TITLE".
    LNFormBody(LNDatabaseBody* database, const LNString& name, LNSTATUS* status);
    // Adopts an open note handle of a form.
    LNFormBody(nnotes::NOTEHANDLE handle, LNDatabaseBody* database, LNSTATUS* status)
        : LNNoteBody(handle, database, status) {}
    // A form of the database, to be opened later.
    LNFormBody(LNDatabaseBody* database, nnotes::NOTEID noteId, LNSTATUS* status)
        : LNNoteBody(database, noteId, status) {}

    LNCLASSID GetClassID() const override { return LNCLASSID_LNFORMBODY; }
};

class LNForm : public LNNote {
public:
    LNForm() = default;
    LNForm(const LNForm& other) = default;
    // A form not yet open.
    LNForm(LNDatabaseBody* database, nnotes::NOTEID noteId) : LNNote(database, noteId) {}
    // Throws LNERR_CONVERSION unless the note is a form.
    LNForm(const LNNote& note);
    ~LNForm() override = default;

    LNForm& operator=(const LNForm& other) = default;
    // Throws LNERR_CONVERSION unless the note is a form.
    LNForm& operator=(const LNNote& note);
    LNForm& SetNoteBody(LNFormBody* body) {
        LNNote::SetNoteBody(body);
        return *this;
    }

    LNCLASSID GetClassID() const override { return LNCLASSID_LNFORM; }
};

class LNFormArray : public LNNoteArray {
public:
    LNFormArray() = default;
    LNFormArray(const LNFormArray& other) = default;
    ~LNFormArray() override = default;
    LNFormArray& operator=(const LNFormArray& other) = default;

    LNCLASSID GetClassID() const override { return LNCLASSID_LNFORMARRAY; }

    // A form handle that is not open; past the count: LNERR_SUBSCRIPT_OUT_OF_RANGE (thrown).
    LNForm operator[](uint32_t index) const {
        const nnotes::NOTEID id = LNNoteArray::operator[](index);
        return LNForm(Database.GetDatabaseBody(), id);
    }
};

// Points note, not opened, at the design note of noteClass named name in an open database.
LNSTATUS LNPointAtDesignNote(LNDatabaseBody* database, const LNString& name, uint16_t noteClass,
                             LNNote* note);

// Appends the title item of a new form or agent: the name as one text, summary flag.
LNSTATUS LNAppendDesignTitle(LNNoteBody* note, const LNString& name);
