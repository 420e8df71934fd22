// One open database file (an SQLite file of our schema) or one open directory, and the process-wide table of
// database handles.
#pragma once

#include "nnotes.h"
#include "store_sql.h"

#include <memory>
#include <mutex>
#include <string>

namespace nnotes::store {

class Database {
public:
    // Opens the file or directory at fsPath. A missing path gives ERR_NOEXIST; a file that is not one of our
    // databases ERR_NOT_A_DATABASE.
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
    STATUS ReadInfoNumber(const char* key, uint32_t& out);
    STATUS WriteInfoNumber(const char* key, uint32_t value);

    // Records that a note of class noteClass changed now (data or design modified time); runs inside the
    // caller's transaction.
    STATUS TouchModified(uint16_t noteClass, const Instant& now);

private:
    bool directory_ = false;
    std::string fsPath_;
    std::string netpath_;
    Connection sql_;
    std::recursive_mutex lock_;
};

// Makes a new database file at fsPath holding the schema, an identifier and an icon note. The file appears
// whole or not at all. An existing file is refused with ERR_DB_EXISTS.
STATUS CreateDatabaseFile(const std::string& fsPath);

// True when the file at fsPath starts like one of our databases (the SQLite header and our application id).
bool LooksLikeDatabase(const std::string& fsPath);

// Bytes in use and bytes free inside the file.
STATUS SpaceOf(Database& db, uint32_t* used, uint32_t* unused);

// Database handles: non-zero, never handed out twice in one process.
DBHANDLE AddDatabase(std::shared_ptr<Database> db);
std::shared_ptr<Database> FindDatabase(DBHANDLE handle);
std::shared_ptr<Database> RemoveDatabase(DBHANDLE handle);
// True when some handle of this process has the file open.
bool IsDatabaseOpen(const std::string& fsPath);

// The open database (not a directory) of a handle, or a status: a combination of checks every note and
// database operation begins with.
STATUS DatabaseOf(DBHANDLE handle, std::shared_ptr<Database>& out);

// Runs fn on the database of handle (not a directory) under the database's lock.
template <class Fn>
STATUS WithDatabase(DBHANDLE handle, Fn fn) {
    std::shared_ptr<Database> db;
    if (STATUS s = DatabaseOf(handle, db)) return s;
    std::lock_guard<std::recursive_mutex> guard(db->Lock());
    return fn(*db);
}

} // namespace nnotes::store
