// Deleting a set of notes at once.
#include "database.h"
#include "note_store.h"
#include "viewindex.h"

#include <vector>

namespace nnotes {

STATUS DeleteNotes(DBHANDLE db, DHANDLE table, uint16_t) {
    std::vector<NOTEID> ids;
    ids.reserve(IDEntries(table));
    NOTEID id = 0;
    for (bool first = true;; first = false) {
        const STATUS s = IDScan(table, first, &id);
        if (s == ERR_IDTABLE_END) break;
        if (s != NOERROR) return s;
        ids.push_back(id);
    }
    return store::WithDatabase(db, [&](store::Database& database) {
        store::Connection& sql = database.Sql();
        // One transaction: either every note goes or none does.
        store::Transaction t(sql);
        if (STATUS s = t.Begun()) return s;
        Instant now;
        if (STATUS s = CurrentTime(&now)) return s;
        for (const NOTEID each : ids) {
            NOTEID resolved = 0;
            if (STATUS s = store::ResolveNoteId(sql, each, resolved)) return s;
            uint16_t noteClass = 0;
            if (STATUS s = store::DeleteNoteRows(sql, resolved, noteClass)) return s;
            if (STATUS s = views::IndexNoteDeleted(database, resolved)) return s;
            if (STATUS s = database.TouchModified(noteClass, now)) return s;
        }
        return t.Commit();
    });
}

} // namespace nnotes
