// Deleting notes: one or a set at once, in one transaction that stamps the database's modified times once.
#include "store/database.h"
#include "store/note_store.h"
#include "views/viewindex.h"

#include <vector>

namespace nnotes {
namespace {

STATUS DeleteAll(DBHANDLE db, const std::vector<NOTEID>& ids) {
    return store::WithDatabase(db, [&](store::Database& database) {
        store::Connection& sql = database.Sql();
        // Either every note goes or none does.
        store::Transaction t(sql);
        if (STATUS s = t.Begun()) return s;
        bool data = false, design = false;
        for (const NOTEID each : ids) {
            NOTEID resolved = 0;
            if (STATUS s = store::ResolveNoteId(sql, each, resolved)) return s;
            uint16_t noteClass = 0;
            if (STATUS s = store::DeleteNoteRows(sql, resolved, noteClass)) return s;
            if (STATUS s = views::IndexNoteDeleted(database, resolved)) return s;
            (noteClass == NOTE_CLASS_DOCUMENT ? data : design) = true;
        }
        // The stamp that saves take too: it only grows, so no change is hidden from a caller's next search.
        Instant stamp;
        if (STATUS s = database.NextStamp(stamp)) return s;
        if (data)
            if (STATUS s = database.TouchModified(NOTE_CLASS_DOCUMENT, stamp)) return s;
        if (design)
            if (STATUS s = database.TouchModified(NOTE_CLASS_FORM, stamp)) return s;
        return t.Commit();
    });
}

} // namespace

STATUS DeleteNote(DBHANDLE db, NOTEID id, uint16_t) {
    return DeleteAll(db, {id});
}

STATUS DeleteNotes(DBHANDLE db, DHANDLE table, uint16_t) {
    // Scanned in a copy, so that the caller's table keeps its own place.
    DHANDLE copy = NULLHANDLE;
    if (STATUS s = CopyIDTable(table, &copy)) return s;
    std::vector<NOTEID> ids;
    ids.reserve(IDEntries(copy));
    NOTEID id = 0;
    STATUS s = NOERROR;
    for (bool first = true;; first = false) {
        s = IDScan(copy, first, &id);
        if (s != NOERROR) break;
        ids.push_back(id);
    }
    DestroyIDTable(copy);
    if (s != ERR_IDTABLE_END) return s;
    return DeleteAll(db, ids);
}

} // namespace nnotes
