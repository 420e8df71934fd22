// One open database file (an SQLite file of our schema) or one open directory, and the process-wide table of
// database handles.
#pragma once

#include "files/database_hold.h"
#include "nnotes/nnotes.h"
#include "store/store_sql.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <string>

namespace nnotes::store {

class Database {
public:
    // Opens the file or directory at fsPath. A missing path gives ERR_NOEXIST; a file that is not one of our
    // databases ERR_NOT_A_DATABASE. An open file is held (database_hold.h) until the database is destroyed.
    // On a full disk a database opens for reading only (its saves then answer ERR_DB_DISK_FULL or
    // ERR_DB_READ_ONLY).
    static STATUS Open(const std::string& fsPath, const std::string& netpath, std::shared_ptr<Database>& out);

    bool IsDirectory() const { return directory_; }
    const std::string& FilePath() const { return fsPath_; }
    const std::string& NetPath() const { return netpath_; }
    Connection& Sql() { return sql_; }

    // Held by every operation on the database, so that one handle may be used from several threads.
    std::recursive_mutex& Lock() { return lock_; }

    // Values of the info table: blobs (ids, times, the information buffer) and numbers (option words).
    STATUS ReadInfo(const char* key, std::string& out);
    STATUS WriteInfo(const char* key, std::string_view value);
    STATUS ReadInfoNumber(const char* key, uint32_t& out) { return ReadInfoAs(key, out); }
    // A value of fixed size (a number, an instant) stored in its bytes; ERR_DB_DAMAGED for any other size.
    template <class T>
    STATUS ReadInfoAs(const char* key, T& out) {
        std::string bytes;
        if (STATUS s = ReadInfo(key, bytes)) return s;
        if (bytes.size() != sizeof out) return ERR_DB_DAMAGED;
        std::memcpy(&out, bytes.data(), sizeof out);
        return NOERROR;
    }
    STATUS WriteInfoNumber(const char* key, uint32_t value);
    // WriteInfo in a write transaction of its own, marked in the log as every write transaction is.
    STATUS WriteInfoAlone(const char* key, std::string_view value);

    // Records that a note of class noteClass changed at stamp (data or design modified time); runs inside the
    // caller's transaction.
    STATUS TouchModified(uint16_t noteClass, const Instant& stamp);

    // The stamp of a change made now, inside the caller's write transaction: the present moment, but always
    // later than every stamp the database gave before (so under more than a hundred changes a second the
    // stamps run ahead of the clock for a while). Since each change is stamped under the write lock, a
    // change that a reader does not see yet gets a stamp later than every one the reader sees.
    STATUS NextStamp(Instant& stamp);
    // The latest stamp given, as the caller's transaction (or the current snapshot) sees the database.
    // Inside a write transaction it is read once and then kept up to date by TouchModified.
    STATUS LastStamp(Instant& stamp);

    // Passes back the status of a call on this database. Once a call says the file or one of its notes or
    // view indexes is damaged, the connection never folds its log into the file: what it goes on writing
    // (a view index made again) stays in the log, and the file stays as it is for whoever mends it.
    STATUS Noted(STATUS s) {
        if (IsDamage(s)) sql_.LeaveFileUnwritten();
        return s;
    }
    static bool IsDamage(STATUS s) {
        return ERR(s) == ERR_DB_DAMAGED || ERR(s) == ERR_NOTE_DAMAGED || ERR(s) == ERR_VIEW_INDEX_DAMAGED;
    }

    // What the view indexes keep about this connection between saves (the indexed views a save passes).
    std::shared_ptr<void>& SavePassState() { return savePass_; }

private:
    STATUS ReadLastStamp(Instant& stamp);

    bool directory_ = false;
    std::string fsPath_;
    std::string netpath_;
    std::shared_ptr<FileHold> hold_; // declared before sql_: released only after the connection closed
    Connection sql_;
    std::recursive_mutex lock_;
    // The latest stamp as the write transaction numbered stampSerial_ (Connection::WriteSerial) left it.
    Instant lastStamp_{};
    uint64_t stampSerial_ = 0;
    std::shared_ptr<void> savePass_;
};

// Makes a new database file at fsPath holding the schema, an identifier and an icon note. The file appears
// whole or not at all. An existing file is refused with ERR_DB_EXISTS, or with replace put aside in the
// same step (ERR_DB_IN_USE while any process has it open).
STATUS CreateDatabaseFile(const std::string& fsPath, bool replace);

// NOERROR when the file at fsPath starts like one of our databases (the SQLite header and our application
// id), ERR_NOT_A_DATABASE when it does not, or the status of reading it.
STATUS CheckDatabaseHead(const std::string& fsPath);
inline bool LooksLikeDatabase(const std::string& fsPath) {
    return CheckDatabaseHead(fsPath) == NOERROR;
}

// Bytes in use and bytes free inside the file.
STATUS SpaceOf(Database& db, uint32_t* used, uint32_t* unused);

// Database handles: non-zero, never handed out twice in one process.
DBHANDLE AddDatabase(std::shared_ptr<Database> db);
std::shared_ptr<Database> FindDatabase(DBHANDLE handle);
std::shared_ptr<Database> RemoveDatabase(DBHANDLE handle);

// The open database (not a directory) of a handle, or a status: a combination of checks every note and
// database operation begins with.
STATUS DatabaseOf(DBHANDLE handle, std::shared_ptr<Database>& out);

// Runs fn on the database of handle (not a directory) under the database's lock.
template <class Fn>
STATUS WithDatabase(DBHANDLE handle, Fn fn) {
    std::shared_ptr<Database> db;
    if (STATUS s = DatabaseOf(handle, db)) return s;
    std::lock_guard<std::recursive_mutex> guard(db->Lock());
    return db->Noted(fn(*db));
}

// Database::Noted for a call that reached the database of handle by another road (a collection's reads).
STATUS NoteStatusOf(DBHANDLE handle, STATUS s);

} // namespace nnotes::store
