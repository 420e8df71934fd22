#include "ln/lnform.h"

#include "ln/lnassert.h"
#include "ln/lnerrors.h"
#include "nnotes/idtable.h"
#include "nnotes/note.h"

LNSTATUS LNAppendDesignTitle(LNNoteBody* note, const LNString& name) {
    if (name.IsEmpty()) return LNERR_NAME_REQUIRED;
    return note->CreateItem(LNString(nnotes::FIELD_TITLE), nnotes::TYPE_TEXT, name.GetTextPtr(),
                            name.GetByteLength(), nnotes::ITEM_SUMMARY, LNITEMDUP_ADD, nullptr);
}

LNSTATUS LNPointAtDesignNote(LNDatabaseBody* database, const LNString& name, uint16_t noteClass,
                             LNNote* note) {
    if (name.IsEmpty() || note == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    nnotes::NOTEID id = 0;
    if (const LNSTATUS status = database->FindDesignNote(name, noteClass, &id))
        return LNReturnOrThrow(status);
    note->SetNoteID(database, id);
    return LNNOERROR;
}

LNFormBody::LNFormBody(LNDatabaseBody* database, const LNString& name, LNSTATUS* status)
    : LNNoteBody(database, LNNOTECLASS{LNNOTECLASS_FORM}, status) {
    LN_ASSERT(database && status, "lnform", 120);
    if (*status == LNNOERROR) *status = LNAppendDesignTitle(this, name);
}

LNForm::LNForm(const LNNote& note) : LNNote(note) {
    if ((note.GetNoteClass() & LNNOTECLASS_FORM) == 0) throw LNERR_CONVERSION;
}

LNForm& LNForm::operator=(const LNNote& note) {
    if ((note.GetNoteClass() & LNNOTECLASS_FORM) == 0) throw LNERR_CONVERSION;
    LNNote::operator=(note);
    return *this;
}
