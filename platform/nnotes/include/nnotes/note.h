// libnnotes notes and items: notes opened into memory, changed there and stored in one transaction; item
// types and the layouts of their values; note classes and note information; database objects; and finding,
// reading, appending, copying and deleting a note's items.
#pragma once

#include <cstdint>

#include "nnotes/database.h"
#include "nnotes/idtable.h"
#include "nnotes/memblock.h"
#include "nnotes/status.h"

namespace nnotes {

// A note is opened into memory, changed there and stored by UpdateNote in one transaction. Each item has a
// name (1 to MAXITEMNAME bytes, matched without regard to case), a type word, flags and a value; items keep
// their append order. An item is named by its item block id, which stays the same while the note is open and
// is never given to another item of it. An item's value lies in a memory block: the value block id names its
// first byte (the type word) and the value length counts the type word. Values the library places lie at a
// non-zero offset; a block adopted by AppendItemByBlock keeps the caller's block id. Offset plus length is at
// most 0xFFFF. Value layouts (after the type word; little-endian):
//   TYPE_TEXT        the text bytes
//   TYPE_TEXT_LIST   16-bit count n, n 16-bit lengths, the n texts
//   TYPE_NUMBER      one 8-byte floating-point number      TYPE_TIME  one 8-byte instant
//   TYPE_NUMBER_RANGE, TYPE_TIME_RANGE  16-bit L, 16-bit R, L values of 8 bytes, R pairs of 16 bytes
//   TYPE_NOTEREF_LIST  16-bit count n (ODS_WORD), n universal ids (ODS_UNIVERSALID each): "$REF" of a
//                      response names its parent first
//   TYPE_COMPOSITE and all others: opaque bytes
// Values of the typed layouts are checked when appended (ERR_ITEM_LAYOUT).
using NOTEHANDLE = DHANDLE; // never 0

constexpr uint16_t TYPE_COMPOSITE = 1;
constexpr uint16_t TYPE_NOTEREF_LIST = 512;
constexpr uint16_t TYPE_NUMBER = 768;
constexpr uint16_t TYPE_NUMBER_RANGE = 769;
constexpr uint16_t TYPE_TIME = 1024;
constexpr uint16_t TYPE_TIME_RANGE = 1025;
constexpr uint16_t TYPE_TEXT = 1280;
constexpr uint16_t TYPE_TEXT_LIST = 1281;

constexpr uint16_t ITEM_SIGN = 0x0001, ITEM_SEAL = 0x0002, ITEM_SUMMARY = 0x0004, ITEM_PROTECTED = 0x0200;
constexpr uint16_t MAXITEMNAME = 31;
constexpr const char* FIELD_REF = "$REF"; // a response's parent
constexpr const char* FIELD_TITLE = "$TITLE";

constexpr uint16_t NOTE_CLASS_DOCUMENT = 0x0001, NOTE_CLASS_INFO = 0x0002, NOTE_CLASS_FORM = 0x0004,
                   NOTE_CLASS_VIEW = 0x0008, NOTE_CLASS_ICON = 0x0010, NOTE_CLASS_DESIGN = 0x0020,
                   NOTE_CLASS_ACL = 0x0040, NOTE_CLASS_HELP_INDEX = 0x0080, NOTE_CLASS_HELP = 0x0100,
                   NOTE_CLASS_FILTER = 0x0200, NOTE_CLASS_FIELD = 0x0400, NOTE_CLASS_REPLFORMULA = 0x0800,
                   NOTE_CLASS_PRIVATE = 0x1000, NOTE_CLASS_ALL = 0x7FFF;
// OpenNote and DeleteNote take NOTE_ID_SPECIAL | class for the database's first note of that class (the
// icon note is NOTE_ID_SPECIAL | NOTE_CLASS_ICON). Ordinary note ids stay below it.
constexpr NOTEID NOTE_ID_SPECIAL = 0xFFFF0000;

// GetNoteInfo selectors and what they fill. Those marked settable work with SetNoteInfo.
constexpr uint16_t NOTE_INFO_DB = 0;              // DBHANDLE (settable: the database the note saves into)
constexpr uint16_t NOTE_INFO_ID = 1;              // NOTEID, 0 until first saved (settable)
constexpr uint16_t NOTE_INFO_OID = 2;             // ORIGINATORID (settable)
constexpr uint16_t NOTE_INFO_CLASS = 3;           // uint16_t class word (settable)
constexpr uint16_t NOTE_INFO_MODIFIED = 4;        // Instant of the last save
constexpr uint16_t NOTE_INFO_ACCESSED = 8;        // Instant the note was opened
constexpr uint16_t NOTE_INFO_PARENT_NOTEID = 10;  // NOTEID of the parent named by "$REF", 0 when none
constexpr uint16_t NOTE_INFO_RESPONSE_COUNT = 11; // uint32_t number of direct responses
constexpr uint16_t NOTE_INFO_RESPONSES = 12;      // DHANDLE ID table of direct responses (owned by the note;
                                                  // NULLHANDLE when there are none)
constexpr uint16_t NOTE_INFO_ADDED_TO_FILE = 13;  // Instant the note was first stored in this database

// UpdateNote flags. The library gives no meaning to other bits.
constexpr uint16_t UPDATE_FORCE =
    0x0001; // store even when another process saved the note since it was opened

constexpr STATUS ERR_NOTE_HANDLE = 0x0201;    // unknown or closed note handle
constexpr STATUS ERR_NOTE_NOT_FOUND = 0x0202; // no such note in the database
constexpr STATUS ERR_NOTE_CLASS = 0x0203;     // not a note class (or no note of that special class)
constexpr STATUS ERR_NOTE_CONFLICT = 0x0204;  // another process saved or deleted the note since it was opened
constexpr STATUS ERR_ITEM_NAME = 0x0205;      // item name empty, over MAXITEMNAME bytes or with a NUL
constexpr STATUS ERR_ITEM_TOO_BIG = 0x0206;   // value does not fit a 64 KB block
constexpr STATUS ERR_ITEM_BLOCK = 0x0207;     // item block id of no item of this note
constexpr STATUS ERR_ITEM_LAYOUT = 0x0208;    // value does not match the layout of its type
constexpr STATUS ERR_NOTE_TOO_MANY_ITEMS = 0x0209;  // 65535 items appended while the note was open
constexpr STATUS ERR_NOTE_IDS_EXHAUSTED = 0x020A;   // the database has handed out every note id
constexpr STATUS ERR_NOTE_UNID_EXISTS = 0x020B;     // another note of the database has this universal id
constexpr STATUS ERR_NOTE_INFO_SELECTOR = 0x020C;   // unknown selector, or one that cannot be set
constexpr STATUS ERR_NOTE_DAMAGED = 0x020D;         // the stored note is damaged
constexpr STATUS ERR_VALUE_BLOCK = 0x020E;          // value block id of no block, or shorter than the length
constexpr STATUS ERR_ITEM_TYPE = 0x020F;            // item is not of a type the operation reads
constexpr STATUS ERR_OBJECT_NOT_FOUND = 0x0220;     // no database object of that id and type
constexpr STATUS ERR_OBJECT_IDS_EXHAUSTED = 0x0221; // the database has handed out every object id

STATUS CreateNote(DBHANDLE db, NOTEHANDLE* note);
// flags are accepted and have no effect: the whole note is always read.
STATUS OpenNote(DBHANDLE db, NOTEID id, uint16_t flags, NOTEHANDLE* note);
STATUS CloseNote(NOTEHANDLE note);
// Stores the note (a new one receives its id) in one transaction.
STATUS UpdateNote(NOTEHANDLE note, uint16_t flags);
// Deletes a stored note in one transaction; flags are accepted and have no effect.
STATUS DeleteNote(DBHANDLE db, NOTEID id, uint16_t flags);
// Deletes every note of the ID table in one transaction: all of them, or none when one fails (an id of no
// note gives ERR_NOTE_NOT_FOUND). flags are accepted and have no effect.
STATUS DeleteNotes(DBHANDLE db, DHANDLE table, uint16_t flags);
// An in-memory copy of an open note: same database, id, originator id and items, saved like the original.
STATUS DuplicateNote(NOTEHANDLE note, uint16_t flags, NOTEHANDLE* copy);
STATUS GetNoteInfo(NOTEHANDLE note, uint16_t selector, void* value);
STATUS SetNoteInfo(NOTEHANDLE note, uint16_t selector, const void* value);
// A fresh originator id for a note about to be stored as a new note of db (sequence 0).
STATUS NewOriginatorId(DBHANDLE db, ORIGINATORID* oid);

// Texts, flags and small actions of an open note. GetNoteTextByLength: the note's universal id as 32
// hexadecimal digits (file part, then note part, each high word first), cut to size - 1 bytes and
// terminated; *length (may be null) gets the bytes written. GetNoteTexts: into first the kind of note
// ("Document", "Form", "View", "Agent", ..., "Note"), into second its note id as "NT" and 8 hexadecimal
// digits; each buffer holds MAXPATH bytes. GetNoteFlagPair: first the note's class word, second 1 for a note
// that was never stored (or was moved to another database or id) and 0 for one read from its database.
// NoteActionA counts one more change of the open note (its sequence number and time; storing the note
// numbers it afresh); NoteActionB marks the note read now and NoteActionC marks it unread (its accessed time,
// NOTE_INFO_ACCESSED, becomes now or zero). flags and reserved are accepted and have no effect.
STATUS GetNoteTextByLength(NOTEHANDLE note, char* buffer, uint16_t size, uint16_t* length, uint16_t flags);
STATUS GetNoteTexts(NOTEHANDLE note, uint16_t flags, uint16_t reserved, char* first, char* second);
STATUS GetNoteFlagPair(NOTEHANDLE note, uint32_t* first, uint32_t* second);
STATUS NoteActionA(NOTEHANDLE note, uint16_t flags, uint16_t reserved);
STATUS NoteActionB(NOTEHANDLE note);
STATUS NoteActionC(NOTEHANDLE note);

// Database objects: stores that items of TYPE_OBJECT name by an ODSObjectDescriptor (type and id) after
// their type word. AllocateObject records a new object of size bytes (ids count from 1); GetObjectSize gives
// the size of the object of that id and type (ERR_OBJECT_NOT_FOUND when there is none).
constexpr uint16_t TYPE_OBJECT = 3;
STATUS AllocateObject(DBHANDLE db, uint16_t objectType, uint32_t size, uint32_t* objectId);
STATUS GetObjectSize(DBHANDLE db, uint32_t objectId, uint16_t objectType, uint32_t* size);

// Finds the first item of name (null or length 0: of any name), or the next one after item `after`. Any
// output may be null. ERR_ITEM_NOT_FOUND when there is none.
STATUS FindItemByName(NOTEHANDLE note, const char* name, uint16_t nameLength, BLOCKID* item, uint16_t* type,
                      BLOCKID* value, uint32_t* valueLength);
STATUS FindNextItemByName(NOTEHANDLE note, const char* name, uint16_t nameLength, BLOCKID after,
                          BLOCKID* item, uint16_t* type, BLOCKID* value, uint32_t* valueLength);
// An item's name (cut to nameSize-1 bytes and terminated; *nameLength gets the whole length), flags, type and
// value. Any output may be null.
STATUS QueryItemByBlock(NOTEHANDLE note, BLOCKID item, char* name, uint16_t nameSize, uint16_t* nameLength,
                        uint16_t* flags, uint16_t* type, BLOCKID* value, uint32_t* valueLength);
// Appends an item whose value is type followed by the length bytes of data (copied).
STATUS AppendItem(NOTEHANDLE note, uint16_t flags, const char* name, uint16_t nameLength, uint16_t type,
                  const void* data, uint32_t length, BLOCKID* item);
// Appends an item whose value (type word first) is the caller's block, adopted in place: the note frees
// the block when it closes, and FindItemByName gives back exactly value and valueLength.
STATUS AppendItemByBlock(NOTEHANDLE note, uint16_t flags, const char* name, uint16_t nameLength,
                         BLOCKID value, uint32_t valueLength, BLOCKID* item);
// Appends a copy of an item of any open note (item names its note) to note.
STATUS CopyItemToNote(BLOCKID item, NOTEHANDLE note, BLOCKID* copy);
// Deletes every item of name; ERR_ITEM_NOT_FOUND when there is none. No other item changes id or value.
STATUS DeleteItem(NOTEHANDLE note, const char* name, uint16_t nameLength);
STATUS DeleteItemByBlock(NOTEHANDLE note, BLOCKID item);
// The text of the first item of name (a text list gives its first entry), bounded by size; *length (may be
// null) gets the bytes written. ERR_ITEM_TYPE for an item that holds no text.
STATUS GetItemText(NOTEHANDLE note, const char* name, char* buf, uint16_t size, uint16_t* length);
// Replaces every item of name by one summary text item.
STATUS SetItemText(NOTEHANDLE note, const char* name, const char* text, uint16_t length);

} // namespace nnotes
