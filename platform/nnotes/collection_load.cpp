#include "collection_load.h"

#include "viewindex_store.h"

namespace nnotes::views {
namespace {

STATUS ReadViewNote(DBHANDLE viewDb, NOTEID viewId, store::StoredNote& note, std::string& path) {
    return store::WithDatabase(viewDb, [&](store::Database& db) {
        path = db.FilePath();
        if (STATUS s = store::LoadNote(db.Sql(), viewId, note)) return s;
        return (note.noteClass & NOTE_CLASS_VIEW) ? NOERROR : ERR_NOT_A_VIEW;
    });
}

// Makes the stored index current when it is not; false in stored when the file cannot take it now. A reader
// never waits for another process's writer: while one holds the file, the rows are made in memory and the
// stored index is made at a later open.
STATUS MakeCurrent(store::Database& db, const store::StoredNote& viewNote, const ViewDefinition& view,
                   bool& stored) {
    bool current = false;
    if (STATUS s = IndexIsCurrent(db.Sql(), viewNote, current)) return s;
    stored = true;
    if (current) return NOERROR;
    store::Transaction t(db.Sql(), false);
    STATUS s = t.Begun();
    if (s == NOERROR) s = RebuildIndex(db, viewNote, view);
    if (s == NOERROR) s = t.Commit();
    if (s == ERR_DB_READ_ONLY || s == ERR_DB_BUSY) {
        stored = false;
        return NOERROR;
    }
    return s;
}

} // namespace

STATUS LoadCollection(Collection& c, bool onlyWhenChanged) {
    store::StoredNote viewNote;
    std::string viewPath;
    if (STATUS s = ReadViewNote(c.viewDb, c.viewId, viewNote, viewPath)) return s;
    const std::string stamp(reinterpret_cast<const char*>(&viewNote.oid), sizeof viewNote.oid);
    return store::WithDatabase(c.dataDb, [&](store::Database& db) {
        std::shared_ptr<const ViewDefinition> view;
        if (STATUS s = DefinitionOf(db, viewNote, view)) return s;
        bool stored = false;
        if (viewPath == db.FilePath())
            if (STATUS s = MakeCurrent(db, viewNote, *view, stored)) return s;
        store::ReadTransaction snapshot(db.Sql());
        int64_t changes = -1;
        if (stored)
            if (STATUS s = IndexChanges(db.Sql(), viewNote.id, changes)) return s;
        if (onlyWhenChanged && stored && changes == c.changes && stamp == c.stamp && c.data) return NOERROR;
        CollectionBuilder builder(view);
        const RowSink sink = [&](const RowRef& row) { return builder.Add(row); };
        STATUS s = stored ? ReadIndexRows(db.Sql(), viewNote.id, sink) : ComputeRows(db, *view, sink);
        auto data = std::make_shared<CollectionData>();
        if (s == NOERROR) s = builder.Finish(*data);
        if (s != NOERROR) return s;
        c.data = std::move(data);
        c.stamp = stamp;
        c.changes = stored ? changes : -1;
        ResolveHits(c);
        return NOERROR;
    });
}

} // namespace nnotes::views
