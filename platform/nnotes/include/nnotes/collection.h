// libnnotes views and collections: the items that make a note a view, and the collection of a view, kept in
// the database file and brought up to date by every save and delete: opening it, moving through it, reading
// its entries and finding documents by key.
#pragma once

#include <cstdint>

#include "nnotes/database.h"
#include "nnotes/idtable.h"
#include "nnotes/memblock.h"
#include "nnotes/status.h"

namespace nnotes {

// A view is a note of class NOTE_CLASS_VIEW with these items:
//   "$TITLE"       its names, "Name|Alias"
//   "$ViewFormat"  TYPE_VIEW_FORMAT: an ODSViewTableFormat, Columns ODSViewColumnFormat records, then
//                  per column its item name, title, formula (compiled, as CompileFormula makes it) and
//                  constant value
//   "$FORMULA"     TYPE_FORMULA: the compiled selection formula; a view without it selects every document
// A column's value for a document: with a formula and an item name, the formula computed for the document
// when it is indexed (views name such columns "$<column number>"); with an item name alone, the document's
// item of that name; a column without item name is no part of the summary (its constant or formula is read
// from the format). Values of types other than text, number and time (and their lists) are kept empty.
//
// The collection of a view is kept in the database file and brought up to date by every UpdateNote and
// DeleteNote, so opening it costs one read. Entries, in order: for each categorised column a level of
// category entries (showing the value of their first document; a document with several values sits under
// each, one without any under an empty category), then the documents, sorted by the categorised columns and
// then the other sorted columns, each group in column order (case-insensitive collation; descending where the
// column says); with a response column, responses under their parents (responses whose parent is not in the
// view are left out); with a totalling column, one total entry at the end holding the sums.
// Every entry carries the same summary items in column order (an ITEM_TABLE): a category entry fills its
// categorised column's item only, a document entry all but the categorised columns' items.
constexpr uint16_t TYPE_VIEW_FORMAT = 5;
constexpr uint16_t TYPE_FORMULA = 1536;
constexpr const char* VIEW_FORMAT_ITEM = "$ViewFormat";
constexpr const char* VIEW_FORMULA_ITEM = "$FORMULA";
constexpr uint8_t VIEW_FORMAT_VERSION = 1;
// ODSViewColumnFormat::Flags; a categorised column is sorted whatever its other bits say.
constexpr uint16_t VIEW_COLUMN_SORT = 0x0001, VIEW_COLUMN_CATEGORY = 0x0002, VIEW_COLUMN_DESCENDING = 0x0004,
                   VIEW_COLUMN_HIDDEN = 0x0008, VIEW_COLUMN_RESPONSE = 0x0010, VIEW_COLUMN_TOTAL = 0x0020;

// An entry's place: its 1-based number among its peers at each level 0..Level. Index 0 at a level stands
// before that level's first entry.
constexpr uint16_t MAXTUMBLERLEVELS = 32;
struct CollectionPosition {
    uint16_t Level;
    uint8_t MinLevel; // with NAVIGATE_MINLEVEL, moves never reach a level above (less than) it
    uint8_t MaxLevel; // with NAVIGATE_MAXLEVEL, moves pass over entries below (greater than) it
    uint32_t EntryIndex[MAXTUMBLERLEVELS];
};
static_assert(sizeof(CollectionPosition) == 132);

using HCOLLECTION = uint16_t;

// Note ids of entries that are no documents.
constexpr NOTEID NOTEID_CATEGORY = 0x80000000;
constexpr NOTEID NOTEID_TOTAL = 0xC0000000;

// Navigation codes of ReadEntries.
constexpr uint16_t NAVIGATE_CURRENT = 0; // stay
constexpr uint16_t NAVIGATE_NEXT = 1;    // next entry in order, children first
constexpr uint16_t NAVIGATE_PARENT = 3;
constexpr uint16_t NAVIGATE_CHILD = 4; // first child
constexpr uint16_t NAVIGATE_NEXT_PEER = 5;
constexpr uint16_t NAVIGATE_PREV_PEER = 6;
constexpr uint16_t NAVIGATE_FIRST_PEER = 7;
constexpr uint16_t NAVIGATE_LAST_PEER = 8;
constexpr uint16_t NAVIGATE_PREV = 9;
constexpr uint16_t NAVIGATE_MAIN = 11; // the main document (not a response) above or at the entry
constexpr uint16_t NAVIGATE_NEXT_MAIN = 12;
constexpr uint16_t NAVIGATE_PREV_MAIN = 13;
constexpr uint16_t NAVIGATE_NEXT_DESCENDANT = 17; // next in order while inside the entry the read began at
constexpr uint16_t NAVIGATE_NEXT_PARENT = 19;     // the parent's next peer
constexpr uint16_t NAVIGATE_PREV_PARENT = 20;     // the parent's previous peer
constexpr uint16_t NAVIGATE_NEXT_HIT = 29;        // full-text hits, in hit order (Level 0, index = rank)
constexpr uint16_t NAVIGATE_CURRENT_HIT = 31;
constexpr uint16_t NAVIGATE_NEXT_CATEGORY = 41;
constexpr uint16_t NAVIGATE_PREV_CATEGORY = 42;
constexpr uint16_t NAVIGATE_NEXT_NONCATEGORY = 43;
constexpr uint16_t NAVIGATE_PREV_NONCATEGORY = 44;
// Flags added to a code: obey the position's MinLevel, MaxLevel; NAVIGATE_CONTINUE is accepted and ignored.
constexpr uint16_t NAVIGATE_MINLEVEL = 0x0100, NAVIGATE_MAXLEVEL = 0x0200, NAVIGATE_CONTINUE = 0x8000;

// What ReadEntries returns of each entry, in this order of fields: note id (32), note class (16; 0 for
// categories and totals), siblings, children, descendants, its number among its peers (32 each), indent
// levels (16: response depth), full-text score (16; 0 outside hit navigation), the summary ITEM_TABLE. The
// fields are in host order; an ITEM_TABLE, like the stored values it holds, is little-endian.
constexpr uint32_t READ_MASK_NOTEID = 0x0001, READ_MASK_NOTECLASS = 0x0004, READ_MASK_INDEXSIBLINGS = 0x0008,
                   READ_MASK_INDEXCHILDREN = 0x0010, READ_MASK_INDEXDESCENDANTS = 0x0020,
                   READ_MASK_INDENTLEVELS = 0x0080, READ_MASK_SCORE = 0x0200, READ_MASK_INDEXPEER = 0x0400,
                   READ_MASK_SUMMARY = 0x8000;
// ReadEntries stopped because its buffer was full; read on from the position it left.
constexpr uint16_t SIGNAL_MORE_TO_DO = 0x0020;
// The largest buffer ReadEntries hands back.
constexpr uint32_t MAXREADBUFFER = 0xFFFF;

// FindByKey flags.
constexpr uint16_t FIND_PARTIAL = 0x0001, FIND_CASE_INSENSITIVE = 0x0002, FIND_ACCENT_INSENSITIVE = 0x0008,
                   FIND_UPDATE_IF_NOT_FOUND = 0x0020, FIND_COMPARE_MASK = 0x00C0;

constexpr STATUS ERR_COLLECTION_HANDLE = 0x0401;    // unknown or closed collection handle
constexpr STATUS ERR_NOT_A_VIEW = 0x0402;           // the note is not a view
constexpr STATUS ERR_VIEW_FORMAT = 0x0403;          // "$ViewFormat" is missing, damaged or of another version
constexpr STATUS ERR_VIEW_FORMULA = 0x0405;         // the selection or a column formula cannot be read
constexpr STATUS ERR_COLLECTION_POSITION = 0x0406;  // position with a level beyond MAXTUMBLERLEVELS - 1
constexpr STATUS ERR_COLLECTION_NAVIGATOR = 0x0407; // unknown navigation code or flags
constexpr STATUS ERR_COLLECTION_MASK = 0x0408;      // read mask with bits this library does not know
constexpr STATUS ERR_COLLECTION_HANDLES = 0x0409;   // every collection handle is in use
constexpr STATUS ERR_FIND_KEYS = 0x040A;    // key table damaged, of an unknown type or with too many keys
constexpr STATUS ERR_FIND_FLAGS = 0x040B;   // unknown find flags or comparison
constexpr STATUS ERR_SPECIAL_TEXT = 0x040C; // unknown escape after 0x7F
constexpr STATUS ERR_SPECIAL_TEXT_TOO_LONG = 0x040D; // translated text does not fit its buffer
constexpr STATUS ERR_VIEW_INDEX_DAMAGED = 0x040E;    // the stored view index cannot be read

// Opens the collection of view note viewId of viewDb over the documents of dataDb (usually the same handle).
// flags and unreadTable are accepted and have no effect.
//
// A view kept in the documents' own file is read from its stored index as far as reads go: opening reads
// its first rows, and later reads read on (through dataDb, which must stay open while the collection is
// read). Entries once read keep their place; rows read later are read as the index stands then, and an
// entry whose document has been deleted since reads with empty columns. A read that meets a damaged row
// fails with ERR_VIEW_INDEX_DAMAGED, as does every later read of that collection until UpdateCollection.
STATUS OpenCollection(DBHANDLE viewDb, DBHANDLE dataDb, NOTEID viewId, uint16_t flags, DHANDLE unreadTable,
                      HCOLLECTION* collection);
// Brings an open collection up to the documents' present state (positions held by callers may then name
// other entries).
STATUS UpdateCollection(HCOLLECTION collection);
STATUS CloseCollection(HCOLLECTION collection);

// Moves *position skipCount times by skipNavigator (0xFFFFFFFF: as far as it goes; a smaller count that
// cannot be moved in full returns nothing and leaves the position), then returns up to returnCount entries:
// the one at the position, and from there on by returnNavigator. The position is left at the last entry
// returned. *buffer (a new block the caller frees; NULLHANDLE when nothing is returned or the mask is 0)
// holds the returned entries one after another; when it would outgrow MAXREADBUFFER the read stops there
// with SIGNAL_MORE_TO_DO. Outputs other than position may be null.
STATUS ReadEntries(HCOLLECTION collection, CollectionPosition* position, uint16_t skipNavigator,
                   uint32_t skipCount, uint16_t returnNavigator, uint32_t returnCount, uint32_t returnMask,
                   DHANDLE* buffer, uint16_t* bufferLength, uint32_t* entriesSkipped,
                   uint32_t* entriesReturned, uint16_t* signalFlags);

// Finds the first main document whose sorted columns match the keys of keyTable, an ITEM_TABLE (16-bit
// total length with its 4-byte header, 16-bit count, per key a 16-bit name length and a 16-bit value length,
// then per key its name and its value) of TYPE_TEXT, TYPE_NUMBER or TYPE_TIME values matched against the
// sorted columns in order. *count (may be null) gets the number of documents that match. ERR_NOT_FOUND when
// none does.
STATUS FindByKey(HCOLLECTION collection, const void* keyTable, uint16_t findFlags, CollectionPosition* found,
                 uint32_t* count);

// Expands the escapes of a column's constant text: 0x7F followed by 'I' the note id (8 hex digits), 'P' the
// position ("1.2.3"), 'S', 'C', 'D', 'N' the sibling, child, descendant and peer-number statistics (decimal),
// 'T' the database title, 'V' the view name, 0x7F itself. Never writes past outSize; a result that does not
// fit gives ERR_SPECIAL_TEXT_TOO_LONG and *outLength 0. Titles are zero-terminated (null: empty).
STATUS TranslateSpecialText(const char* text, uint16_t textLength, NOTEID noteId,
                            const CollectionPosition* position, const uint32_t statistics[4],
                            const char* databaseTitle, const char* viewName, char* out, uint16_t outSize,
                            uint16_t* outLength);

} // namespace nnotes
