// An open note: its header, its items in order and the memory blocks that hold their values.
#pragma once

#include "nnotes/nnotes.h"
#include "store/note_store.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nnotes::store {

struct NoteItem {
    uint16_t serial = 0; // the item block id's offset; never that of another item in the open note
    std::string name;
    uint16_t flags = 0;
    uint16_t type = 0;
    BLOCKID value{};
    uint32_t length = 0; // with the type word
    int64_t seq = 0;     // its stored row; 0 while not stored
    // Of the stored bytes, to find values changed in place in their block. An item read from the store
    // starts asStored: nobody outside the note has been handed its value block yet, so its bytes are still
    // the stored ones and the hash is not taken until then (Note::Expose). A save may treat an asStored item
    // as unchanged without reading its value, and leave it asStored. Both are kept up to date by reads
    // through a const note (ValueOf), hence mutable.
    mutable uint64_t storedHash = 0;
    mutable bool asStored = false;
};

class Note {
public:
    Note() = default;
    ~Note();
    Note(const Note&) = delete;
    Note& operator=(const Note&) = delete;

    // A note read from a database (on its connection, which the caller holds), its values placed in blocks.
    static STATUS Read(DBHANDLE db, Connection& sql, NOTEID id, std::shared_ptr<Note>& out);
    // A copy in blocks of its own.
    STATUS Duplicate(std::shared_ptr<Note>& out) const;

    // Header.
    NOTEHANDLE self = 0;
    DBHANDLE db = 0;
    NOTEID id = 0;
    uint16_t noteClass = NOTE_CLASS_DOCUMENT;
    ORIGINATORID oid{};
    Instant added{};
    Instant accessed{};
    DHANDLE responses = NULLHANDLE; // the last response table handed out; freed with the note

    // Where the note was read from; a note that is new, or was moved to another database or id, has none.
    struct Origin {
        DBHANDLE db;
        NOTEID id;
        uint32_t sequence;  // the stored sequence when read, to notice saves by others
        uint16_t noteClass; // and what the stored note was, to tell a save that changes only items
        UNIVERSALID unid;
        ORIGINATORID oid; // as stored: a save by anyone stores another
    };
    std::optional<Origin> origin;
    int64_t lastSeq = 0;                   // highest stored item row
    std::vector<int64_t> removedSeqs;      // stored rows of items deleted since
    std::vector<std::string> removedNames; // and their names

    std::vector<NoteItem>& Items() { return items_; }
    const std::vector<NoteItem>& Items() const { return items_; }

    // Items: appended at the end; found by serial or by name (without regard to case) after an index.
    STATUS Append(uint16_t flags, std::string_view name, uint16_t type, const void* data, uint32_t length,
                  NoteItem** item);
    STATUS Adopt(uint16_t flags, std::string_view name, BLOCKID value, uint32_t length, NoteItem** item);
    NoteItem* FindSerial(uint16_t serial);
    // The index of the first item of name (any name when empty) at or after from; items.size() when none.
    size_t FindName(std::string_view name, size_t from) const;
    STATUS Remove(uint16_t serial);

    // A copy of an item's value (type word first), checked against its block. Takes the hash of an item
    // still asStored, as Expose does.
    STATUS ValueOf(const NoteItem& item, std::string& out) const;
    // Called before an item's value block is handed out of the note, where it may be changed in place: the
    // hash of the stored bytes is taken now, while they are still the stored ones.
    void Expose(const NoteItem& item) const;
    // The value's bytes (type word first) where they lie, checked against the block's size: no copy, and an
    // asStored item stays so. Valid until the note or the value's block changes.
    STATUS BytesOf(const NoteItem& item, std::string_view& out) const;

private:
    class Filler; // fills a note from the rows of its read

    STATUS AppendUnchecked(uint16_t flags, std::string_view name, uint16_t type, const void* data,
                           uint32_t length, NoteItem** item);
    STATUS NextSerial(uint16_t& serial);
    // A place for length bytes in the current pool (or a new one) and the address it has there.
    STATUS Place(uint32_t length, BLOCKID& at, char*& bytes);

    std::vector<NoteItem> items_;
    std::vector<DHANDLE> blocks_; // adopted blocks (other than its own pools), freed with the note
    // The note's own pools, their bytes (blocks never move while they live) and sizes, so that values are
    // reached without a look-up in the block registry; the last is the one being filled. Freed with the note.
    struct Pool {
        DHANDLE handle;
        std::byte* bytes;
        uint32_t size;
        uint32_t items = 0; // whose values lie in it: a pool left with none (other than the last) is freed
    };
    Pool* PoolOf(DHANDLE handle);
    std::vector<Pool> pools_;
    uint32_t poolUsed_ = 0;
    uint16_t nextSerial_ = 1;
    bool serialsRounded_ = false; // every serial has been handed out once: the next may be in use
};

// Note handles: non-zero, never handed out twice in one process. AddNote sets the note's self handle.
NOTEHANDLE AddNote(std::shared_ptr<Note> note);
std::shared_ptr<Note> RemoveNote(NOTEHANDLE handle);
// The open note of a handle, or a status (process not started, unknown handle).
STATUS NoteOf(NOTEHANDLE handle, std::shared_ptr<Note>& out);

// Checks an item name: 1 to MAXITEMNAME bytes, no NUL.
STATUS CheckItemName(std::string_view name);

// A 64-bit hash of a value, to tell changed values from unchanged ones (in memory only, never stored).
uint64_t HashOf(std::string_view bytes);

} // namespace nnotes::store
