// libnnotes databases: opening, making, copying and deleting database files and directories, a database's
// information buffer, option words and identifier, and searching its notes, also for the notes changed
// since a time. It states what the store promises about database files: durability, sharing between
// processes, replacement, damage and shortage.
#pragma once

#include <cstdint>

#include "nnotes/idtable.h"
#include "nnotes/memblock.h"
#include "nnotes/status.h"
#include "nnotes/timedate.h"

namespace nnotes {

// A database is one file (the ".nsf" and ".ntf" names are kept), written so that a save that returned
// survives a crash or a kill, and shared safely with other processes that read and write it at the same time.
// A directory opens too: its handle serves SearchDatabase with SEARCH_FILETYPE and LocateDatabaseById.
using DBHANDLE = uint32_t; // never 0

// A note's universal id: the same in every copy of the note; "file" is random, "note" the creation time.
struct UNIVERSALID {
    Instant file;
    Instant note;
};
static_assert(sizeof(UNIVERSALID) == 16);
// A note's originator id: its universal id, then the number and time of its last save.
struct ORIGINATORID {
    Instant file;
    Instant note; // bytes 8 to 15: when the note was created
    uint32_t sequence;
    Instant sequenceTime;
};
static_assert(sizeof(ORIGINATORID) == 28);

constexpr STATUS ERR_NOT_A_DATABASE = 0x0101;    // the file is not one of this library's databases
constexpr STATUS ERR_DB_EXISTS = 0x0102;         // the database file already exists
constexpr STATUS ERR_DB_HANDLE = 0x0104;         // unknown or closed database handle
constexpr STATUS ERR_DB_IO = 0x0105;             // the file could not be read or written
constexpr STATUS ERR_DB_DAMAGED = 0x0106;        // the database file is damaged
constexpr STATUS ERR_DB_BUSY = 0x0107;           // another process kept the database locked too long
constexpr STATUS ERR_DB_IS_DIRECTORY = 0x0108;   // a directory handle where a database is needed
constexpr STATUS ERR_DB_NOT_DIRECTORY = 0x0109;  // a database handle where a directory is needed
constexpr STATUS ERR_DB_INFO_TOO_LONG = 0x010A;  // the information buffer would exceed DBINFO_SIZE - 1 bytes
constexpr STATUS ERR_DB_INFO_FIELD = 0x010B;     // no such information field
constexpr STATUS ERR_DB_NEWER_VERSION = 0x010C;  // written by a later version of this library
constexpr STATUS ERR_DB_ID_NOT_FOUND = 0x010D;   // no database with that identifier in the directory
constexpr STATUS ERR_DB_DISK_FULL = 0x010E;      // the disk is full
constexpr STATUS ERR_DB_READ_ONLY = 0x010F;      // the file may only be read
constexpr STATUS ERR_DB_IN_USE = 0x0110;         // a process (this one or another) has the database open
constexpr STATUS ERR_DB_CREATE = 0x0111;         // the file or its folder could not be made
constexpr STATUS ERR_DB_TOO_MANY_FILES = 0x0112; // the process may open no more files
constexpr STATUS ERR_DB_FOREIGN_LOG = 0x0113;    // the log beside the file cannot be shown to belong to it
constexpr STATUS ERR_DB_IN_BATCH = 0x0114;       // BeginBatch on a handle that has a batch open
constexpr STATUS ERR_DB_NO_BATCH = 0x0115;       // CommitBatch on a handle that has none open

// Opens a database file, or a directory, named by a network path. ERR_NOEXIST for a missing file,
// ERR_SERVER_NOT_KNOWN for an unknown or unreachable server, ERR_NOT_A_DATABASE for any other file.
STATUS OpenDatabase(const char* netpath, DBHANDLE* db);
STATUS CloseDatabase(DBHANDLE db);

// Makes an empty database (with an icon note of class NOTE_CLASS_ICON). An existing file is refused with
// ERR_DB_EXISTS unless force is set; then it is replaced (a file that is not a database is never replaced).
// fileClass, options, level and sizeLimit are accepted and have no effect here.
STATUS CreateDatabase(const char* netpath, uint16_t fileClass, bool force, uint16_t options, uint8_t level,
                      uint32_t sizeLimit);
// Copies the notes whose class is in noteClassMask, with the information buffer and option words, into a new
// file that replaces destination whole (unless a process has destination open; a file that is not a
// database is refused with ERR_NOT_A_DATABASE and never replaced). The copy gets an
// identifier of its own; notes keep their ids and universal ids. db, when not null, receives an open handle
// to the copy. sizeLimit and options are accepted and have no effect here.
STATUS CopyDatabase(const char* source, const char* destination, uint16_t noteClassMask, uint32_t sizeLimit,
                    uint32_t options, DBHANDLE* db);
// Deletes a database file (not a directory, not a foreign file, not one open in any process).
STATUS DeleteDatabase(const char* netpath);
//
// What the store promises about database files:
// - Durability: a save or delete that returned NOERROR is in the file, and survives a crash or kill of any
//   process, the saving one included, at any moment after it returned. CreateDatabase, CopyDatabase and
//   DeleteDatabase that returned NOERROR survive a power cut too: the folder is synced after the file took
//   (or lost) its name, and each folder made on the way is synced into its parent; so no acknowledged
//   database vanishes and no deleted one comes back.
// - Sharing: any number of processes (and threads) may have a database open and read and write it at once;
//   a writer waits for another's write to end (ERR_DB_BUSY after 30 seconds). A save of a note that another
//   process saved or deleted since it was opened answers ERR_NOTE_CONFLICT, so no update is lost unseen.
//   Readers never see half a save.
// - Replacing and deleting: CreateDatabase with force, CopyDatabase over an existing destination and
//   DeleteDatabase refuse a database that any process has open with ERR_DB_IN_USE. Replacement is one step:
//   whatever happens, the old database or the new one is there, whole. Temporary files beside the target
//   ("<target>.creating-*", ".copying-*", and ".building-*" for databases a program builds before copying
//   them over the target) that a killed process left behind are removed by the next creation or copy of the
//   target.
// - Damage: a file that is not one of ours opens as ERR_NOT_A_DATABASE and is never replaced; a damaged one
//   gives ERR_DB_DAMAGED (or ERR_NOTE_DAMAGED for one note) from the operations that meet the damage, never a
//   crash. A handle that met damage never writes its log into the file, and a database that does not open
//   is not written at all: the file stays as it is for whoever mends it.
// - Left-over logs: a log that a process left beside a database when it ended without closing it (a crash,
//   a kill) is taken in by the next process to open the database only when it can be shown to belong to the
//   file: a database copied or restored by hand under the name of one whose writer died is refused with
//   ERR_DB_FOREIGN_LOG ("A log file beside the database does not belong to it"), and the file and the log
//   stay exactly as they were (removing the stray log by hand gives the copy back). Replacing the database
//   (CreateDatabase with force, CopyDatabase) is still allowed and takes the stray log away with it.
// - Shortage: a full disk gives ERR_DB_DISK_FULL, and a database can still be opened and read on it; a
//   process out of file descriptors gets ERR_DB_TOO_MANY_FILES.
// - Modes: a new database file is created 0600, or 0660 in a folder that its group may write and not
//   everybody may (less the umask either way): the people in it are the owner's alone unless the folder is
//   a shared one. Its log files take its mode; a database that replaces another keeps that one's mode.
// - Names: a port, server or file path holding a NUL byte is refused (ERR_PORT_NAME_INVALID,
//   ERR_SERVER_NAME_INVALID, ERR_PATH_INVALID, settings.h), as is an item name that does (ERR_ITEM_NAME):
//   never is the text before the NUL taken for the name. A C string ends at its first NUL, so a caller
//   whose name may hold one refuses it before passing it (nsfadmin does).

// A batch: the changes made through one database handle from BeginBatch to CommitBatch are one transaction,
// made durable together when CommitBatch returns (one sync in place of one per save), for a program that
// fills a database nobody else uses yet. Each save inside still takes effect whole or not at all, and this
// handle reads its own changes; other handles and processes see none of them before the commit, and their
// writes wait for it. The handle does not map the file while the batch lasts (its pages go through a bounded
// cache), so that filling a large database does not keep the whole of it resident. A batch that is not
// committed when the handle closes is undone, as is one that a fault (a full disk) broke off: the changes
// after it and CommitBatch answer ERR_DB_IO.
STATUS BeginBatch(DBHANDLE db);
STATUS CommitBatch(DBHANDLE db);

// Bytes in use and bytes free inside the file at netpath; flags have no effect.
STATUS GetDatabaseFileInfo(const char* netpath, uint32_t flags, uint32_t* used, uint32_t* unused);
// The same two figures for an open database.
STATUS GetDatabaseSpace(DBHANDLE db, uint32_t* used, uint32_t* unused);

// The information buffer: DBINFO_SIZE bytes, NUL-terminated, fields separated by line feeds.
constexpr uint16_t DBINFO_SIZE = 128;
constexpr uint16_t INFOFIELD_TITLE = 0, INFOFIELD_CATEGORIES = 1, INFOFIELD_DESIGN_CLASS = 2,
                   INFOFIELD_INHERIT_FROM = 3;
STATUS GetDatabaseInfo(DBHANDLE db, char* info);
STATUS SetDatabaseInfo(DBHANDLE db, const char* info);
// Field n of an information buffer, bounded by size (at most size-1 bytes and a terminator).
STATUS GetInfoField(const char* info, uint16_t field, char* out, uint16_t size);
// Replaces field n in an information buffer; the buffer is left as it was when the result would not fit.
STATUS SetInfoField(char* info, uint16_t field, const char* text);

// The database's two option words; their bits mean nothing to this library and are kept as given.
STATUS GetDatabaseOptions(DBHANDLE db, uint32_t* first, uint32_t* second);
STATUS SetDatabaseOptions(DBHANDLE db, uint32_t first);
// Sets the bits of mask in the first option word to those of bits.
STATUS SetDatabaseOptionBits(DBHANDLE db, uint32_t bits, uint32_t mask);

// The database's identifier: an instant of its creation (distinct for every database one process makes).
STATUS GetDatabaseId(DBHANDLE db, Instant* id);
// The path, relative to the directory's root (the data directory or the server's folder), of the database
// below an open directory that has identifier id; ERR_DB_ID_NOT_FOUND when there is none.
STATUS LocateDatabaseById(DBHANDLE directory, const Instant* id, char* path);
// When a document (data) and any other note (design) last changed.
STATUS GetModifiedTimes(DBHANDLE db, Instant* data, Instant* design);
// The version of the file's layout.
STATUS GetDatabaseVersion(DBHANDLE db, uint16_t* version);

// The note of class noteClass (one NOTE_CLASS_ bit) whose "$TITLE" names it: the whole title, or one of its
// "|"-separated names, without regard to case. ERR_NOTE_NOT_FOUND when there is none.
STATUS FindDesignNote(DBHANDLE db, const char* name, uint16_t noteClass, NOTEID* id);

// Search. For every note of noteClassMask changed after *since (null: every note) that the compiled formula
// selects (NULLHANDLE: every note), the callback is called once; a non-zero result ends the search and is
// returned. Callbacks may call into the library and may throw: the search then leaves nothing locked or
// half-done. *until (may be null) receives the time up to which the search looked: the stamp of the latest
// change it saw (for SEARCH_FILETYPE, the time it began).
//
// Changes since a time. Every save and delete in a database gets a stamp (the note's NOTE_INFO_MODIFIED for a
// save): the time of the change, but always later than every earlier stamp of that database, so that under
// more than a hundred changes a second the stamps run ahead of the clock for a while. A caller that passes
// the *until of one search or GetModifiedNoteTable as the since of the next sees every note saved after the
// first one looked, exactly once, whatever other processes save meanwhile.
// With SEARCH_FILETYPE the handle is a directory and noteClassMask one of the FILE_ values: the callback is
// called once per database file, with a summary holding "$Path" (text, relative to the directory's root).
constexpr uint16_t SEARCH_SUMMARY = 0x0002;  // pass each note's summary items to the callback
constexpr uint16_t SEARCH_FILETYPE = 0x0004; // search a directory for files
constexpr uint16_t FILE_DBANY_AND_TEMPLATES = 2, FILE_DATABASES = 4, FILE_TEMPLATES = 5;
constexpr uint16_t FILE_RECURSE = 0x2000; // with a FILE_ value: search the folders below too
constexpr uint8_t SE_MATCH = 0x01;        // SearchMatch::flags: the note meets the formula

struct SearchMatch {
    NOTEID id; // 0 for files
    ORIGINATORID oid;
    uint16_t noteClass;
    uint8_t flags;
};
// The summary items of one match, valid during the callback.
struct SearchSummary;
using SearchCallback = STATUS (*)(void* context, const SearchMatch* match, const SearchSummary* summary);

STATUS SearchDatabase(DBHANDLE db, DHANDLE formula, uint16_t flags, uint16_t noteClassMask,
                      const Instant* since, SearchCallback callback, void* context, Instant* until);
// A summary value: its type word, and the bytes after it. ERR_ITEM_NOT_FOUND when the summary has none.
STATUS GetSummaryValue(const SearchSummary* summary, const char* name, uint16_t* type, const void** value,
                       uint16_t* length);
// A new ID table of the notes of noteClassMask changed after *since (null: all). ERR_NO_MODIFIED_NOTES when
// there are none: never an empty table. *until (may be null) is set as by SearchDatabase, also when there
// are none.
STATUS GetModifiedNoteTable(DBHANDLE db, uint16_t noteClassMask, const Instant* since, Instant* until,
                            DHANDLE* table);

} // namespace nnotes
