// Creating, opening, closing, storing, deleting and duplicating notes.
#include "process/process.h"
#include "store/database.h"
#include "store/note.h"
#include "store/note_identity.h"
#include "store/note_save.h"
#include "store/note_store.h"
#include "views/viewindex.h"

namespace nnotes {
namespace {

STATUS Register(std::shared_ptr<store::Note> note, NOTEHANDLE* out) {
    const NOTEHANDLE handle = store::AddNote(std::move(note));
    if (handle == 0) return ERR_NO_MORE_HANDLES;
    *out = handle;
    return NOERROR;
}

} // namespace

STATUS CreateNote(DBHANDLE db, NOTEHANDLE* note) {
    return store::WithDatabase(db, [&](store::Database&) {
        if (note == nullptr) return ERR_MISSING_ARGUMENT;
        auto created = std::make_shared<store::Note>();
        created->db = db;
        if (STATUS s = store::NewIdentity(&created->oid)) return s;
        if (STATUS s = CurrentTime(&created->accessed)) return s;
        return Register(std::move(created), note);
    });
}

STATUS OpenNote(DBHANDLE db, NOTEID id, uint16_t, NOTEHANDLE* note) {
    return store::WithDatabase(db, [&](store::Database& database) {
        if (note == nullptr) return ERR_MISSING_ARGUMENT;
        if (id == 0) return ERR_NOTE_NOT_FOUND;
        std::shared_ptr<store::Note> opened;
        if (STATUS s = store::Note::Read(db, database.Sql(), id, opened)) return s;
        if (STATUS s = CurrentTime(&opened->accessed)) return s;
        return Register(std::move(opened), note);
    });
}

STATUS CloseNote(NOTEHANDLE note) {
    if (STATUS s = RequireProcess()) return s;
    // Freed here, outside the table's lock, unless a call on it in another thread still holds it.
    return store::RemoveNote(note) == nullptr ? ERR_NOTE_HANDLE : NOERROR;
}

STATUS UpdateNote(NOTEHANDLE note, uint16_t flags) {
    std::shared_ptr<store::Note> open;
    if (STATUS s = store::NoteOf(note, open)) return s;
    return store::SaveNote(*open, flags);
}

STATUS DuplicateNote(NOTEHANDLE note, uint16_t, NOTEHANDLE* copy) {
    std::shared_ptr<store::Note> open;
    if (STATUS s = store::NoteOf(note, open)) return s;
    if (copy == nullptr) return ERR_MISSING_ARGUMENT;
    std::shared_ptr<store::Note> duplicate;
    if (STATUS s = open->Duplicate(duplicate)) return s;
    return Register(std::move(duplicate), copy);
}

STATUS NewOriginatorId(DBHANDLE db, ORIGINATORID* oid) {
    return store::WithDatabase(db, [&](store::Database&) {
        return oid == nullptr ? ERR_MISSING_ARGUMENT : store::NewIdentity(oid);
    });
}

} // namespace nnotes
