// Copying a note of any open database into this one, as a new unsaved note.
#include "ln/lndatabase.h"
#include "ln/lnerrors.h"
#include "lnnotebodyfactory.h"
#include "nnotes/database.h"
#include "nnotes/idtable.h"
#include "nnotes/memblock.h"
#include "nnotes/note.h"
#include "nnotes/status.h"

LNSTATUS LNDatabase::CopyNote(const LNNote& source, LNNote* copy) {
    LNDatabaseBody* body = nullptr;
    if (const LNSTATUS status = Opened(&body)) return status;
    if (!source.GetDatabase().IsOpen()) return LNReturnOrThrow(LNERR_DATABASE_NOT_OPEN);
    if ((source.GetNoteBody() == nullptr && source.GetNoteID() == 0) || copy == nullptr)
        return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    LNNote original(source);
    const bool opened = !original.IsOpen();
    if (opened)
        if (const LNSTATUS status = original.Open(0)) return status;
    nnotes::NOTEHANDLE duplicate = nnotes::NULLHANDLE;
    nnotes::STATUS status = nnotes::DuplicateNote(original.GetNoteBody()->GetNoteHandle(), 0, &duplicate);
    if (opened) original.Close();
    // The copy is a note of this database with an identity of its own, not yet saved.
    nnotes::ORIGINATORID identity;
    const nnotes::NOTEID none = 0;
    const nnotes::DBHANDLE handle = body->GetHandle();
    LNNOTECLASS noteClass = 0;
    if (status == nnotes::NOERROR) status = nnotes::NewOriginatorId(handle, &identity);
    if (status == nnotes::NOERROR) status = nnotes::SetNoteInfo(duplicate, nnotes::NOTE_INFO_OID, &identity);
    if (status == nnotes::NOERROR) status = nnotes::SetNoteInfo(duplicate, nnotes::NOTE_INFO_ID, &none);
    if (status == nnotes::NOERROR) status = nnotes::SetNoteInfo(duplicate, nnotes::NOTE_INFO_DB, &handle);
    if (status == nnotes::NOERROR)
        status = nnotes::GetNoteInfo(duplicate, nnotes::NOTE_INFO_CLASS, &noteClass);
    if (status != nnotes::NOERROR) {
        if (duplicate != nnotes::NULLHANDLE) nnotes::CloseNote(duplicate);
        return LNReturnOrThrowNotesStatus(status);
    }
    LNSTATUS made = LNNOERROR;
    LNNoteBody* typed = LNNewNoteBodyForClass(noteClass, duplicate, body, &made);
    if (made != LNNOERROR) {
        delete typed;
        return LNReturnOrThrow(made);
    }
    copy->SetNoteBody(typed);
    return LNNOERROR;
}
