// The header fields of an open note, and its place among responses.
#include "store/database.h"
#include "store/item_layout.h"
#include "store/note.h"
#include "store/search.h"

#include <cstring>
#include <vector>

namespace nnotes {
namespace {

template <class T>
STATUS Put(void* out, const T& value) {
    std::memcpy(out, &value, sizeof value);
    return NOERROR;
}

// The universal id that the note's "$REF" names first, if any.
std::optional<UNIVERSALID> ParentRef(const store::Note& note) {
    const size_t i = note.FindName(FIELD_REF, 0);
    std::string value;
    if (i == note.Items().size() || note.ValueOf(note.Items()[i], value) != NOERROR) return std::nullopt;
    return store::FirstNoteRef(value);
}

STATUS ParentId(store::Database& db, const store::Note& note, NOTEID& id) {
    id = 0;
    const auto parent = ParentRef(note);
    if (!parent) return NOERROR;
    STATUS s;
    store::Statement* q = db.Sql().Prepare("SELECT id FROM notes WHERE unid=?", &s);
    if (q == nullptr) return s;
    q->BindBlob(1, &*parent, sizeof *parent);
    const int rc = q->Step();
    if (rc == SQLITE_ROW) id = static_cast<NOTEID>(q->Int(0));
    q->Reset();
    return rc == SQLITE_ROW || rc == SQLITE_DONE ? NOERROR : store::StatusOf(rc);
}

STATUS Responses(store::Database& db, const store::Note& note, std::vector<NOTEID>& ids) {
    STATUS s;
    store::Statement* q = db.Sql().Prepare("SELECT id FROM notes WHERE parent=? ORDER BY id", &s);
    if (q == nullptr) return s;
    q->BindBlob(1, &note.oid, sizeof(UNIVERSALID));
    int rc;
    while ((rc = q->Step()) == SQLITE_ROW)
        ids.push_back(static_cast<NOTEID>(q->Int(0)));
    q->Reset();
    return store::StatusOf(rc);
}

// A new response table replacing the one handed out before; NULLHANDLE when there are no responses.
STATUS ResponseTable(const std::vector<NOTEID>& ids, store::Note& note) {
    DHANDLE table = NULLHANDLE;
    if (!ids.empty())
        if (STATUS s = store::IDTableOf(ids, table)) return s;
    if (note.responses != NULLHANDLE) DestroyIDTable(note.responses);
    note.responses = table;
    return NOERROR;
}

// Selectors that read the database the note is stored in.
STATUS DatabaseInfo(store::Note& note, uint16_t selector, void* value) {
    return store::WithDatabase(note.db, [&](store::Database& db) {
        if (selector == NOTE_INFO_PARENT_NOTEID) {
            NOTEID id = 0;
            if (STATUS s = ParentId(db, note, id)) return s;
            return Put(value, id);
        }
        std::vector<NOTEID> ids;
        if (note.id != 0)
            if (STATUS s = Responses(db, note, ids)) return s;
        if (selector == NOTE_INFO_RESPONSE_COUNT) return Put(value, static_cast<uint32_t>(ids.size()));
        if (STATUS s = ResponseTable(ids, note)) return s;
        return Put(value, note.responses);
    });
}

} // namespace

STATUS GetNoteInfo(NOTEHANDLE handle, uint16_t selector, void* value) {
    std::shared_ptr<store::Note> note;
    if (STATUS s = store::NoteOf(handle, note)) return s;
    if (value == nullptr) return ERR_MISSING_ARGUMENT;
    switch (selector) {
    case NOTE_INFO_DB:
        return Put(value, note->db);
    case NOTE_INFO_ID:
        return Put(value, note->id);
    case NOTE_INFO_OID:
        return Put(value, note->oid);
    case NOTE_INFO_CLASS:
        return Put(value, note->noteClass);
    case NOTE_INFO_MODIFIED:
        return Put(value, note->oid.sequenceTime);
    case NOTE_INFO_ACCESSED:
        return Put(value, note->accessed);
    case NOTE_INFO_ADDED_TO_FILE:
        return Put(value, note->added);
    case NOTE_INFO_PARENT_NOTEID:
    case NOTE_INFO_RESPONSE_COUNT:
    case NOTE_INFO_RESPONSES:
        return DatabaseInfo(*note, selector, value);
    default:
        return ERR_NOTE_INFO_SELECTOR;
    }
}

STATUS SetNoteInfo(NOTEHANDLE handle, uint16_t selector, const void* value) {
    std::shared_ptr<store::Note> note;
    if (STATUS s = store::NoteOf(handle, note)) return s;
    if (value == nullptr) return ERR_MISSING_ARGUMENT;
    switch (selector) {
    case NOTE_INFO_DB: {
        DBHANDLE db;
        std::memcpy(&db, value, sizeof db);
        if (store::FindDatabase(db) == nullptr) return ERR_DB_HANDLE;
        note->db = db;
        return NOERROR;
    }
    case NOTE_INFO_ID: {
        NOTEID id;
        std::memcpy(&id, value, sizeof id);
        if (id >= NOTE_ID_SPECIAL) return ERR_NOTE_NOT_FOUND;
        note->id = id;
        return NOERROR;
    }
    case NOTE_INFO_OID:
        std::memcpy(&note->oid, value, sizeof note->oid);
        return NOERROR;
    case NOTE_INFO_CLASS: {
        uint16_t noteClass;
        std::memcpy(&noteClass, value, sizeof noteClass);
        if (noteClass == 0) return ERR_NOTE_CLASS;
        note->noteClass = noteClass;
        return NOERROR;
    }
    default:
        return ERR_NOTE_INFO_SELECTOR;
    }
}

} // namespace nnotes
