// Searching the notes of a database (by class, time and formula) and the files of a directory.
#include "store/search.h"

#include "formula/formula_engine.h"
#include "process/process.h"
#include "store/note.h"
#include "store/note_formula.h"
#include "store/note_store.h"
#include "util/coding.h"
#include "util/text.h"

#include <cstring>

namespace nnotes {
namespace store {
namespace {

// The compiled formula of a block, loaded while the block is locked and unlocked on every path.
STATUS LoadFormula(DHANDLE formula, formula::Program& program) {
    uint32_t size = 0;
    if (GetBlockSize(formula, &size) != NOERROR) return ERR_FORMULA_DAMAGED;
    const void* bytes = LockBlock(formula);
    if (bytes == nullptr) return ERR_FORMULA_DAMAGED;
    const STATUS s = formula::LoadCompiled(bytes, size, &program);
    UnlockBlock(formula);
    return s;
}

SearchSummary SummaryOf(const Note& note) {
    SearchSummary summary;
    for (const auto& item : note.Items()) {
        std::string value;
        if (!(item.flags & ITEM_SUMMARY) || note.ValueOf(item, value) != NOERROR) continue;
        summary.items.emplace_back(item.name, std::move(value));
    }
    return summary;
}

// Reads a candidate whole; nullptr (with NOERROR) when it was deleted since the candidates were chosen.
STATUS LoadCandidate(Database& db, DBHANDLE handle, NOTEID id, std::shared_ptr<Note>& out) {
    std::lock_guard<std::recursive_mutex> guard(db.Lock());
    const STATUS s = Note::Read(handle, db.Sql(), id, out);
    return s == ERR_NOTE_NOT_FOUND ? NOERROR : s;
}

STATUS SearchNotes(DBHANDLE handle, Database& db, DHANDLE formula, uint16_t flags, uint16_t noteClassMask,
                   const Instant* since, SearchCallback callback, void* context, Instant& until) {
    formula::Program program;
    if (formula != NULLHANDLE)
        if (STATUS s = LoadFormula(formula, program)) return s;
    std::vector<Candidate> candidates;
    {
        std::lock_guard<std::recursive_mutex> guard(db.Lock());
        if (STATUS s = ChangedSince(db, noteClassMask, since, candidates, until)) return s;
    }
    const bool needNote = formula != NULLHANDLE || (flags & SEARCH_SUMMARY);
    // No lock is held while the callback runs: it may call back into the library, or throw.
    for (const auto& c : candidates) {
        SearchMatch match{c.id, c.oid, c.noteClass, SE_MATCH};
        if (!needNote) {
            if (STATUS s = callback(context, &match, nullptr)) return s;
            continue;
        }
        std::shared_ptr<Note> note;
        if (STATUS s = LoadCandidate(db, handle, c.id, note)) return s;
        if (note == nullptr) continue;
        match.oid = note->oid;
        if (formula != NULLHANDLE) {
            formula::Outcome outcome;
            const auto view = FormulaViewOf(note);
            if (STATUS s = formula::Evaluate(program, view.get(), &outcome)) return s;
            if (!outcome.selected) continue;
        }
        const SearchSummary summary = (flags & SEARCH_SUMMARY) ? SummaryOf(*note) : SearchSummary();
        if (STATUS s = callback(context, &match, (flags & SEARCH_SUMMARY) ? &summary : nullptr)) return s;
    }
    return NOERROR;
}

STATUS SearchFiles(Database& directory, uint16_t fileType, SearchCallback callback, void* context) {
    std::string root;
    if (STATUS s = RootOf(directory, root)) return s;
    return WalkDatabaseFiles(root, directory.FilePath(), fileType,
                             [&](const std::string&, const std::string& relative) -> STATUS {
                                 std::string value;
                                 util::PutFixed16(&value, TYPE_TEXT);
                                 value += relative;
                                 const SearchSummary summary{{{"$Path", value}}};
                                 const SearchMatch match{0, {}, 0, SE_MATCH};
                                 return callback(context, &match, &summary);
                             });
}

} // namespace

STATUS Candidates(Database& db, uint16_t noteClassMask, const Instant* since, std::vector<Candidate>& out) {
    STATUS s;
    Statement* q = db.Sql().Prepare("SELECT id, class, oid FROM notes WHERE class & ? ORDER BY id", &s);
    if (q == nullptr) return s;
    q->Bind(1, noteClassMask);
    int rc;
    while ((rc = q->Step()) == SQLITE_ROW) {
        Candidate c{static_cast<NOTEID>(q->Int(0)), static_cast<uint16_t>(q->Int(1)), {}};
        const std::string_view oid = q->Blob(2);
        if (oid.size() != sizeof c.oid) continue; // a damaged row is no candidate; opening it would say so
        std::memcpy(&c.oid, oid.data(), sizeof c.oid);
        int order = 1;
        if (since != nullptr && CompareInstants(&c.oid.sequenceTime, since, &order) == NOERROR && order <= 0)
            continue;
        out.push_back(c);
    }
    q->Reset();
    return StatusOf(rc);
}

STATUS ChangedSince(Database& db, uint16_t noteClassMask, const Instant* since, std::vector<Candidate>& out,
                    Instant& until) {
    ReadTransaction snapshot(db.Sql());
    if (STATUS s = Candidates(db, noteClassMask, since, out)) return s;
    return db.LastStamp(until);
}

STATUS IDTableOf(const std::vector<NOTEID>& ids, DHANDLE& table) {
    DHANDLE made = NULLHANDLE;
    if (STATUS s = CreateIDTable(&made)) return s;
    for (NOTEID id : ids) {
        if (STATUS s = InsertID(made, id, nullptr)) {
            DestroyIDTable(made);
            return s;
        }
    }
    table = made;
    return NOERROR;
}

} // namespace store

STATUS SearchDatabase(DBHANDLE db, DHANDLE formula, uint16_t flags, uint16_t noteClassMask,
                      const Instant* since, SearchCallback callback, void* context, Instant* until) {
    if (STATUS s = RequireProcess()) return s;
    if (callback == nullptr) return ERR_MISSING_ARGUMENT;
    const auto database = store::FindDatabase(db);
    if (database == nullptr) return ERR_DB_HANDLE;
    Instant reached;
    STATUS s;
    if (flags & SEARCH_FILETYPE) {
        if (STATUS s = CurrentTime(&reached)) return s;
        s = database->IsDirectory() ? store::SearchFiles(*database, noteClassMask, callback, context)
                                    : ERR_DB_NOT_DIRECTORY;
    } else {
        s = database->IsDirectory()
                ? ERR_DB_IS_DIRECTORY
                : store::NoteStatusOf(db, store::SearchNotes(db, *database, formula, flags, noteClassMask,
                                                             since, callback, context, reached));
    }
    if (s == NOERROR && until != nullptr) *until = reached;
    return s;
}

STATUS GetSummaryValue(const SearchSummary* summary, const char* name, uint16_t* type, const void** value,
                       uint16_t* length) {
    if (STATUS s = RequireProcess()) return s;
    if (summary == nullptr || name == nullptr) return ERR_MISSING_ARGUMENT;
    for (const auto& [itemName, bytes] : summary->items) {
        if (!util::EqualsNoCase(itemName, name)) continue;
        if (type != nullptr) *type = util::DecodeFixed16(bytes.data());
        if (value != nullptr) *value = bytes.data() + sizeof(uint16_t);
        if (length != nullptr) *length = static_cast<uint16_t>(bytes.size() - sizeof(uint16_t));
        return NOERROR;
    }
    return ERR_ITEM_NOT_FOUND;
}

STATUS GetModifiedNoteTable(DBHANDLE db, uint16_t noteClassMask, const Instant* since, Instant* until,
                            DHANDLE* table) {
    return store::WithDatabase(db, [&](store::Database& database) {
        if (table == nullptr) return ERR_MISSING_ARGUMENT;
        Instant reached;
        std::vector<store::Candidate> candidates;
        if (STATUS s = store::ChangedSince(database, noteClassMask, since, candidates, reached)) return s;
        if (until != nullptr) *until = reached; // also without changes: the next call starts from here
        if (candidates.empty()) return ERR_NO_MODIFIED_NOTES;
        std::vector<NOTEID> ids;
        for (const auto& c : candidates)
            ids.push_back(c.id);
        return store::IDTableOf(ids, *table);
    });
}

} // namespace nnotes
