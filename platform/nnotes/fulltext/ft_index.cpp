#include "fulltext/ft_index.h"

#include "store/note_store.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string>

namespace nnotes::fulltext {
namespace {

using store::Statement;

// Column "every" holds one word in every document, so that NOT has a whole to take its documents from.
constexpr const char* kCreate = R"sql(
CREATE VIRTUAL TABLE ft_text USING fts5(body, every, tokenize = 'unicode61 remove_diacritics 2');
CREATE TABLE ft_docs(note INTEGER PRIMARY KEY, oid BLOB NOT NULL, modified INTEGER NOT NULL);
CREATE TABLE ft_info(key TEXT PRIMARY KEY, value BLOB NOT NULL) WITHOUT ROWID;
)sql";
constexpr const char* kDrop = "DROP TABLE IF EXISTS ft_text; DROP TABLE IF EXISTS ft_docs;"
                              " DROP TABLE IF EXISTS ft_info;";
constexpr const char* kLastIndexed = "last_indexed";

// The text that a note's text and text-list items hold, items and list entries on lines of their own. Line
// feeds are stored as NUL bytes; they separate words here as well.
std::string IndexedText(const store::StoredNote& note) {
    std::string text;
    for (const store::StoredItem& item : note.items) {
        const char* value = item.value.data() + sizeof(uint16_t);
        const size_t size = item.value.size() - sizeof(uint16_t);
        if (item.type == TYPE_TEXT) {
            text.append(value, size).push_back('\n');
        } else if (item.type == TYPE_TEXT_LIST) {
            uint16_t count = 0;
            if (CountTextListEntries(value, size, false, &count) != NOERROR) continue;
            for (uint16_t i = 0; i < count; ++i) {
                const char* entry = nullptr;
                uint16_t length = 0;
                if (GetTextListEntry(value, size, false, i, &entry, &length) == NOERROR)
                    text.append(entry, length).push_back('\n');
            }
        }
    }
    std::replace(text.begin(), text.end(), '\0', '\n');
    return text;
}

// A document's last save as one number that sorts like the instant.
int64_t SortableTime(const Instant& t) {
    return static_cast<int64_t>(t.words[1] & 0x00FFFFFF) * 8640000 + t.words[0];
}

// The stored documents: note id to the bytes of its originator id, which change with every save.
STATUS StoredDocuments(store::Connection& sql, std::map<NOTEID, std::string>& out) {
    STATUS s;
    Statement* q = sql.Prepare("SELECT id, oid FROM notes WHERE class & ?", &s);
    if (q == nullptr) return s;
    q->Bind(1, NOTE_CLASS_DOCUMENT);
    int rc;
    while ((rc = q->Step()) == SQLITE_ROW)
        out[static_cast<NOTEID>(q->Int(0))] = std::string(q->Blob(1));
    q->Reset();
    return store::StatusOf(rc);
}

STATUS IndexedDocuments(store::Connection& sql, std::map<NOTEID, std::string>& out) {
    STATUS s;
    Statement* q = sql.Prepare("SELECT note, oid FROM ft_docs", &s);
    if (q == nullptr) return s;
    int rc;
    while ((rc = q->Step()) == SQLITE_ROW)
        out[static_cast<NOTEID>(q->Int(0))] = std::string(q->Blob(1));
    q->Reset();
    return store::StatusOf(rc);
}

STATUS Forget(store::Connection& sql, NOTEID id) {
    STATUS s;
    Statement* text = sql.Prepare("DELETE FROM ft_text WHERE rowid=?", &s);
    if (text == nullptr) return s;
    if (STATUS s = text->Bind(1, id).Run()) return s;
    Statement* doc = sql.Prepare("DELETE FROM ft_docs WHERE note=?", &s);
    if (doc == nullptr) return s;
    return doc->Bind(1, id).Run();
}

STATUS Remember(store::Connection& sql, NOTEID id, const std::string& oid, FTIndexStats& stats) {
    store::StoredNote note;
    // A damaged document is left out rather than keeping every other one from being indexed.
    const STATUS loaded = store::LoadNote(sql, id, note);
    if (loaded == ERR_NOTE_DAMAGED) return NOERROR;
    if (loaded != NOERROR) return loaded;
    const std::string text = IndexedText(note);
    STATUS s;
    Statement* insertText = sql.Prepare("INSERT INTO ft_text(rowid, body, every) VALUES(?, ?, 'u')", &s);
    if (insertText == nullptr) return s;
    if (STATUS s = insertText->Bind(1, id).Bind(2, text).Run()) return s;
    Statement* insertDoc = sql.Prepare("INSERT INTO ft_docs(note, oid, modified) VALUES(?, ?, ?)", &s);
    if (insertDoc == nullptr) return s;
    if (STATUS s = insertDoc->Bind(1, id)
                       .BindBlob(2, oid.data(), oid.size())
                       .Bind(3, SortableTime(note.oid.sequenceTime))
                       .Run())
        return s;
    stats.BytesIndexed +=
        static_cast<uint32_t>(std::min<size_t>(text.size(), UINT32_MAX - stats.BytesIndexed));
    return NOERROR;
}

STATUS Synchronise(store::Connection& sql, FTIndexStats& stats) {
    std::map<NOTEID, std::string> stored, indexed;
    if (STATUS s = StoredDocuments(sql, stored)) return s;
    if (STATUS s = IndexedDocuments(sql, indexed)) return s;
    for (const auto& [id, oid] : indexed)
        if (!stored.contains(id)) {
            if (STATUS s = Forget(sql, id)) return s;
            ++stats.DocsDeleted;
        }
    for (const auto& [id, oid] : stored) {
        auto known = indexed.find(id);
        if (known != indexed.end() && known->second == oid) continue;
        if (known != indexed.end()) {
            if (STATUS s = Forget(sql, id)) return s;
            ++stats.DocsUpdated;
        } else {
            ++stats.DocsAdded;
        }
        if (STATUS s = Remember(sql, id, oid, stats)) return s;
    }
    Instant now;
    if (STATUS s = CurrentTime(&now)) return s;
    STATUS s;
    Statement* q = sql.Prepare("INSERT OR REPLACE INTO ft_info(key, value) VALUES(?, ?)", &s);
    if (q == nullptr) return s;
    return q->Bind(1, kLastIndexed).BindBlob(2, &now, sizeof now).Run();
}

} // namespace

STATUS IndexExists(store::Connection& sql, bool& exists) {
    STATUS s;
    Statement* q =
        sql.Prepare("SELECT count(*) FROM sqlite_master WHERE type='table' AND name='ft_info'", &s);
    if (q == nullptr) return s;
    const int rc = q->Step();
    exists = rc == SQLITE_ROW && q->Int(0) > 0;
    q->Reset();
    return rc == SQLITE_ROW ? NOERROR : store::StatusOf(rc);
}

STATUS UpdateIndex(store::Database& db, bool rebuild, FTIndexStats& stats) {
    store::Connection& sql = db.Sql();
    store::Transaction t(sql);
    if (STATUS s = t.Begun()) return s;
    bool exists = false;
    if (STATUS s = IndexExists(sql, exists)) return s;
    if (rebuild && exists)
        if (STATUS s = sql.Exec(kDrop)) return s;
    if (rebuild || !exists)
        if (STATUS s = sql.Exec(kCreate)) return s;
    if (STATUS s = Synchronise(sql, stats)) return s;
    return t.Commit();
}

STATUS DropIndex(store::Connection& sql) {
    store::Transaction t(sql);
    if (STATUS s = t.Begun()) return s;
    bool exists = false;
    if (STATUS s = IndexExists(sql, exists)) return s;
    if (!exists) return ERR_FT_NOT_INDEXED;
    if (STATUS s = sql.Exec(kDrop)) return s;
    return t.Commit();
}

STATUS LastIndexed(store::Connection& sql, Instant& out) {
    bool exists = false;
    if (STATUS s = IndexExists(sql, exists)) return s;
    if (!exists) return ERR_FT_NOT_INDEXED;
    STATUS s;
    Statement* q = sql.Prepare("SELECT value FROM ft_info WHERE key=?", &s);
    if (q == nullptr) return s;
    const int rc = q->Bind(1, kLastIndexed).Step();
    const std::string_view value = rc == SQLITE_ROW ? q->Blob(0) : std::string_view();
    const bool wellFormed = value.size() == sizeof out;
    if (wellFormed) std::memcpy(&out, value.data(), sizeof out);
    q->Reset();
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) return store::StatusOf(rc);
    return wellFormed ? NOERROR : ERR_DB_DAMAGED;
}

} // namespace nnotes::fulltext
