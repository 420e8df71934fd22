#include "viewindex.h"

#include "viewindex_store.h"

namespace nnotes::views {
namespace {

STATUS IndexedViews(store::Connection& sql, std::vector<NOTEID>& views) {
    STATUS s;
    store::Statement* q = sql.Prepare("SELECT view FROM view_index ORDER BY view", &s);
    if (q == nullptr) return s;
    int rc;
    while ((rc = q->Step()) == SQLITE_ROW)
        views.push_back(static_cast<NOTEID>(q->Int(0)));
    q->Reset();
    return store::StatusOf(rc);
}

// A view note saved: its index is made again, or dropped when its design cannot be read.
STATUS ViewSaved(store::Database& db, const store::StoredNote& viewNote) {
    std::shared_ptr<const ViewDefinition> view;
    if (DefinitionOf(db, viewNote, view) != NOERROR) return DropIndex(db.Sql(), viewNote.id);
    return RebuildIndex(db, viewNote, *view);
}

// A document saved: its rows join each view whose index is current; an index that is not current is made
// whole again when the view is next opened.
STATUS DocumentSaved(store::Database& db, const store::StoredNote& doc) {
    store::Connection& sql = db.Sql();
    std::vector<NOTEID> views;
    if (STATUS s = IndexedViews(sql, views)) return s;
    std::vector<ViewRow> rows;
    for (NOTEID viewId : views) {
        store::StoredNote viewNote;
        STATUS s = store::LoadNote(sql, viewId, viewNote);
        bool current = false;
        if (s == NOERROR) s = IndexIsCurrent(sql, viewNote, current);
        std::shared_ptr<const ViewDefinition> view;
        if (s == NOERROR && current && DefinitionOf(db, viewNote, view) == NOERROR) {
            if (STATUS r = RowsOfDocument(*view, doc, rows)) return r;
            for (const ViewRow& row : rows)
                if (STATUS r = InsertRow(sql, viewId, row)) return r;
            if (!rows.empty())
                if (STATUS r = CountChange(sql, viewId)) return r;
        } else if (s == ERR_NOTE_NOT_FOUND || s == ERR_NOTE_DAMAGED || s == NOERROR) {
            // Left for the next open to make whole; a view note that is gone takes its index along.
            if (s != NOERROR)
                if (STATUS r = DropIndex(sql, viewId)) return r;
        } else {
            return s;
        }
    }
    return NOERROR;
}

} // namespace

STATUS IndexNoteSaved(store::Database& db, NOTEID id) {
    store::Connection& sql = db.Sql();
    store::StoredNote note;
    if (STATUS s = store::LoadNote(sql, id, note)) return s;
    bool has = false;
    if (STATUS s = HasIndexTables(sql, has)) return s;
    if (has)
        if (STATUS s = RemoveNoteRows(sql, id)) return s;
    if (note.noteClass & NOTE_CLASS_VIEW) return ViewSaved(db, note);
    if (!has) return NOERROR;
    if (STATUS s = DropIndex(sql, id)) return s; // a view note saved as another class
    return note.noteClass == NOTE_CLASS_DOCUMENT ? DocumentSaved(db, note) : NOERROR;
}

STATUS IndexNoteDeleted(store::Database& db, NOTEID id) {
    store::Connection& sql = db.Sql();
    bool has = false;
    if (STATUS s = HasIndexTables(sql, has); s != NOERROR || !has) return s;
    if (STATUS s = RemoveNoteRows(sql, id)) return s;
    return DropIndex(sql, id);
}

} // namespace nnotes::views
