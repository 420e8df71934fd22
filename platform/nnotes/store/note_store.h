// The rows of one note in a database file: reading them (checked, since stored bytes may be damaged) and
// writing them inside the caller's transaction.
#pragma once

#include "nnotes/nnotes.h"
#include "store/store_sql.h"

#include <optional>
#include <string>
#include <vector>

namespace nnotes::store {

struct StoredItem {
    int64_t seq = 0;
    std::string name;
    uint16_t type = 0;
    uint16_t flags = 0;
    std::string value; // type word first
};

// What a note's row holds.
struct StoredHeader {
    NOTEID id = 0;
    uint16_t noteClass = 0;
    ORIGINATORID oid{};
    Instant added{};
};

struct StoredNote : StoredHeader {
    std::vector<StoredItem> items; // in append order
};

// The type word an item value starts with (0 for a value too short to hold one).
uint16_t TypeWord(std::string_view value);

// A note's rows as a read meets them, checked: the header first, then each item in the order of its row.
// The texts and values point into the statement and last only until the call returns.
struct StoredItemRow {
    int64_t seq = 0;
    std::string_view name;
    uint16_t type = 0;
    uint16_t flags = 0;
    std::string_view value; // type word first
};
class NoteRowSink {
public:
    virtual STATUS Header(const StoredHeader& header) = 0;
    virtual STATUS Item(const StoredItemRow& item) = 0;

protected:
    ~NoteRowSink() = default;
};

// Reads note id into sink, header and items from one snapshot; ERR_NOTE_NOT_FOUND when the database has no
// such note, ERR_NOTE_DAMAGED when its rows do not hold a well-formed note, or the first status the sink
// returns. A special id is resolved first.
STATUS ReadNoteRows(Connection& sql, NOTEID id, NoteRowSink& sink);

// Reads note id whole into out, as ReadNoteRows does.
STATUS LoadNote(Connection& sql, NOTEID id, StoredNote& out);

// The note that a special id (NOTE_ID_SPECIAL | class) stands for; ordinary ids are returned unchanged.
STATUS ResolveNoteId(Connection& sql, NOTEID id, NOTEID& out);

// The stored sequence number of a note; nullopt when the note is not (or no longer) stored.
STATUS StoredSequence(Connection& sql, NOTEID id, std::optional<uint32_t>& out);

// Note rows. parent is the universal id named first by "$REF", if any.
STATUS InsertNoteRow(Connection& sql, uint16_t noteClass, const ORIGINATORID& oid, const Instant& added,
                     const std::optional<UNIVERSALID>& parent, NOTEID& id);
// keysMayChange false: the caller knows class, universal id and parent to be stored as they are.
STATUS UpdateNoteRow(Connection& sql, NOTEID id, uint16_t noteClass, const ORIGINATORID& oid,
                     const std::optional<UNIVERSALID>& parent, bool keysMayChange = true);
// Writes oid over the note's originator id when that is still expected; replaced tells whether it was.
STATUS ReplaceNoteOid(Connection& sql, NOTEID id, const ORIGINATORID& expected, const ORIGINATORID& oid,
                      bool& replaced);
// Writes class, universal id (of oid) and parent where they differ from the stored ones.
STATUS UpdateNoteKeys(Connection& sql, NOTEID id, uint16_t noteClass, const ORIGINATORID& oid,
                      const std::optional<UNIVERSALID>& parent);
// Deletes the note and its items and gives its class; ERR_NOTE_NOT_FOUND when there was no such note.
STATUS DeleteNoteRows(Connection& sql, NOTEID id, uint16_t& noteClass);

// Item rows.
// A new item's row, for InsertItemRows.
struct NewItemRow {
    int64_t seq = 0;
    const std::string* name = nullptr;
    uint16_t flags = 0;
    std::string_view value;
};
// Inserts rows of the note, several to a statement.
STATUS InsertItemRows(Connection& sql, NOTEID note, const std::vector<NewItemRow>& rows);
STATUS InsertItemRow(Connection& sql, NOTEID note, int64_t seq, const std::string& name, uint16_t flags,
                     std::string_view value);
STATUS UpdateItemValue(Connection& sql, NOTEID note, int64_t seq, std::string_view value);
// The row of item seq becomes that of another item, at toSeq (seq itself, or above every row of the note);
// without such a row the item is inserted.
STATUS MoveItemRow(Connection& sql, NOTEID note, int64_t seq, int64_t toSeq, const std::string& name,
                   uint16_t flags, std::string_view value);
STATUS DeleteItemRows(Connection& sql, NOTEID note, int64_t seq); // seq 0: every item of the note

} // namespace nnotes::store
