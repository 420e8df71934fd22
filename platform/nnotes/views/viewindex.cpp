#include "views/viewindex.h"

#include "views/viewindex_reads.h"
#include "views/viewindex_store.h"

#include <algorithm>
#include <optional>

namespace nnotes::views {
namespace {

// A view note saved: its index is made again, or dropped when its design cannot be read.
STATUS ViewSaved(store::Database& db, const store::StoredNote& viewNote) {
    std::shared_ptr<const ViewDefinition> view;
    if (DefinitionOf(db, viewNote, view) != NOERROR) return DropIndex(db.Sql(), viewNote.id);
    return RebuildIndex(db, viewNote, *view);
}

// The definition of an indexed view, when the stored index was made from the view note as it is now; an
// index that is not current is left alone and made whole again when the view is next opened.
STATUS CurrentDefinition(store::Database& db, NOTEID viewId, const std::string& stamp,
                         std::shared_ptr<const ViewDefinition>& view) {
    if ((view = CachedDefinition(db, viewId, stamp))) return NOERROR;
    store::StoredNote viewNote;
    const STATUS s = store::LoadNote(db.Sql(), viewId, viewNote);
    if (s == ERR_NOTE_NOT_FOUND || s == ERR_NOTE_DAMAGED) return DropIndex(db.Sql(), viewId);
    if (s != NOERROR) return s;
    if (StampOf(viewNote) == stamp && DefinitionOf(db, viewNote, view) != NOERROR) view.reset();
    return NOERROR;
}

// The indexed views a document's save passes, as this connection last read them, with what each reads. They
// hold while the file is as this connection's last commit left it and the connection itself wrote nothing
// to the table of indexes since (a view's index made, dropped or moved to another layout); any other
// change is found by the next save, which reads them again.
struct SavePass {
    struct View {
        NOTEID id = 0;
        std::shared_ptr<const ViewDefinition> definition; // null: the index is not current
        ViewReads reads;
    };
    uint64_t serial = 0; // the write transaction they were last good in
    uint64_t writes = 0; // the connection's writes to the table of indexes then
    bool tables = false; // whether the file holds the index tables (tables made empty change nothing)
    std::vector<View> views;
};

STATUS PassOf(store::Database& db, SavePass*& out) {
    store::Connection& sql = db.Sql();
    auto& slot = db.SavePassState();
    if (!slot) {
        sql.WatchTable("view_index");
        slot = std::make_shared<SavePass>();
    }
    out = static_cast<SavePass*>(slot.get());
    SavePass& pass = *out;
    const uint64_t serial = sql.WriteSerial();
    if (serial != 0 && pass.serial != 0 && pass.writes == sql.TableWrites() &&
        (pass.serial == serial || sql.UnchangedSince(pass.serial))) {
        pass.serial = serial;
        return NOERROR;
    }
    pass.serial = 0;
    pass.views.clear();
    // Inside the saving transaction the connection's schema is the file's, so it answers without a query.
    pass.tables = IndexTablesInSchema(sql);
    std::vector<std::pair<NOTEID, std::string>> views;
    if (pass.tables)
        if (STATUS s = ReadableIndexes(sql, views)) return s;
    for (const auto& [viewId, stamp] : views) {
        SavePass::View view;
        view.id = viewId;
        if (STATUS s = CurrentDefinition(db, viewId, stamp, view.definition)) return s;
        if (view.definition) view.reads = ReadsOf(*view.definition);
        pass.views.push_back(std::move(view));
    }
    pass.serial = serial;
    pass.writes = sql.TableWrites();
    return NOERROR;
}

// A document saved: its rows take their new places in each view whose index is current. A view that reads
// none of the items the save changed keeps its rows without their being made again; rows that come out as
// they were (most saves change items that no view shows) are not written again, and their view does not
// count a change. Indexes that are not current are made whole again at their next open.
STATUS DocumentSaved(store::Database& db, SavePass* pass, NOTEID id,
                     const std::function<const store::StoredNote&()>& docOf,
                     const std::vector<std::string>* changedItems) {
    store::Connection& sql = db.Sql();
    std::vector<ViewRow> rows;
    for (const SavePass::View& entry : pass->views) {
        const std::shared_ptr<const ViewDefinition>& view = entry.definition;
        if (!view) continue;
        if (changedItems != nullptr && !SaveCanChangeRows(entry.reads, *changedItems)) continue;
        if (STATUS s = RowsOfDocument(*view, docOf(), rows)) return s;
        std::sort(rows.begin(), rows.end(),
                  [](const ViewRow& a, const ViewRow& b) { return a.part < b.part; });
        bool changed = false;
        if (STATUS s = ReplaceNoteRows(sql, entry.id, id, rows, changed)) return s;
        if (changed)
            if (STATUS s = CountChange(sql, entry.id)) return s;
    }
    // What was written to the table of indexes here only counted changes: the views stay as they were.
    if (pass->serial == sql.WriteSerial()) pass->writes = sql.TableWrites();
    return NOERROR;
}

} // namespace

STATUS IndexNoteSaved(store::Database& db, NOTEID id, uint16_t noteClass,
                      const std::function<store::StoredNote()>& saved,
                      const std::vector<std::string>* changedItems) {
    store::Connection& sql = db.Sql();
    SavePass* pass = nullptr;
    if (STATUS s = PassOf(db, pass)) return s;
    const bool has = pass->tables;
    if (!has && !(noteClass & NOTE_CLASS_VIEW)) return NOERROR;
    // A document keeps its rows where the save leaves them as they were; other notes show in no view.
    if (has && noteClass != NOTE_CLASS_DOCUMENT)
        if (STATUS s = RemoveNoteRows(sql, id)) return s;
    if (noteClass & NOTE_CLASS_VIEW) return ViewSaved(db, saved());
    if (!has) return NOERROR;
    // A view note saved as another class; a document that stayed one had no index.
    if (changedItems == nullptr)
        if (STATUS s = DropIndexIfAny(sql, id)) return s;
    if (noteClass != NOTE_CLASS_DOCUMENT) return NOERROR;
    // The note as saved is made only for a view that must see it.
    std::optional<store::StoredNote> doc;
    return DocumentSaved(
        db, pass, id,
        [&]() -> const store::StoredNote& {
            if (!doc) doc = saved();
            return *doc;
        },
        changedItems);
}

STATUS IndexNoteDeleted(store::Database& db, NOTEID id) {
    store::Connection& sql = db.Sql();
    bool has = false;
    if (STATUS s = HasIndexTables(sql, has); s != NOERROR || !has) return s;
    if (STATUS s = RemoveNoteRows(sql, id)) return s;
    return DropIndex(sql, id);
}

} // namespace nnotes::views
