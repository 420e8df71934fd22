// A thin layer over SQLite: one connection, prepared statements kept for reuse, SQLite results turned into
// this library's statuses, and a transaction guard that rolls back unless committed.
#pragma once

#include "nnotes/nnotes.h"

#include <sqlite3.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace nnotes::store {

// The status for an SQLite result code (NOERROR for SQLITE_OK, SQLITE_ROW and SQLITE_DONE).
STATUS StatusOf(int rc);
// The same, told apart by the system error behind it where SQLite only says "I/O error" or "cannot open":
// a full disk, or a process that may open no more files.
STATUS StatusOf(int rc, sqlite3* db);
// The status for an errno value of a failed file operation.
STATUS StatusOfErrno(int error);

class Statement {
public:
    explicit Statement(sqlite3_stmt* stmt) : stmt_(stmt) {}
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Binds by 1-based index; blobs and texts are copied.
    Statement& Bind(int index, int64_t value);
    Statement& Bind(int index, std::string_view text);
    Statement& BindBlob(int index, const void* data, size_t size);
    Statement& BindNull(int index);

    // SQLITE_ROW, SQLITE_DONE or an error code.
    int Step();
    // Steps to the end, for statements that return no rows.
    STATUS Run();
    void Reset();

    int64_t Int(int column) const { return sqlite3_column_int64(stmt_, column); }
    bool IsNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }
    std::string_view Text(int column) const;
    std::string_view Blob(int column) const;

private:
    sqlite3_stmt* stmt_;
    bool used_ = false; // stepped or bound since the last Reset
};

class Connection {
public:
    Connection() = default;
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens an existing file (read-write, else read-only) or, with create, makes it.
    STATUS Open(const std::string& path, bool create);
    // Opens an existing file for reading only, making nothing beside it but an empty file: for a disk so
    // full that not even the log's shared index can be set up. Its write transactions answer why: refusal.
    STATUS OpenReadingOnly(const std::string& path, STATUS refusal);
    // NOERROR, or why this connection may not write.
    STATUS WriteRefusal() const { return writeRefusal_; }
    // Makes every Transaction on this connection run sql first, with 8 random bytes bound to ?1: the mark
    // that ties the log to the file (files/left_over_log.h).
    void MarkWrites(const char* sql) { markSql_ = sql; }
    STATUS Mark();
    // Whether the write transaction open now was begun to be marked later (Transaction's markLater) and is
    // not marked yet: its caller marks it with a statement that writes more of the info table at once (the
    // statement's text, with the mark bound to ?1, given here), else Commit marks it first.
    bool MarkPending() const { return markPending_; }
    STATUS MarkWith(const char* sql, const std::function<void(Statement&)>& bind);
    // A number of the write transaction open now (a batch's, for the changes inside it), 0 when none is.
    uint64_t WriteSerial() const { return writeSerial_; }
    // Whether the file is as the write transaction numbered serial left it when it committed: that one was
    // the last this connection committed, and nothing (no other connection or process) changed the file
    // since. A value read or written inside that transaction then holds still.
    bool UnchangedSince(uint64_t serial) const;
    // Counts the rows of table (a table with row ids) that this connection inserts, updates or deletes:
    // TableWrites tells whether it wrote any since it last looked. One table at a time.
    void WatchTable(const char* table);
    uint64_t TableWrites() const { return tableWrites_; }
    // Called by transactions: a write transaction began (and was marked), or ended, committed or not.
    void WriteBegun() { writeSerial_ = ++writeCount_; }
    void WriteEnded(bool committed);
    // From now on the log is never folded into the file, neither on close nor after a commit. A connection
    // that meets damage does this itself: a damaged file is left as it is for whoever mends it.
    void LeaveFileUnwritten();
    void Close();

    // A batch: one transaction that every Transaction on this connection joins (as a savepoint, so that each
    // still takes effect whole or not at all) until CommitBatch. ERR_DB_IN_BATCH when one is open already,
    // ERR_DB_NO_BATCH when none is. A batch that a fault undid answers ERR_DB_IO to every later change and
    // to CommitBatch; one not committed when the connection closes is undone.
    STATUS BeginBatch();
    STATUS CommitBatch();
    bool InBatch() const { return batch_; }
    sqlite3* Raw() const { return db_; }

    // Runs statements that return no rows.
    STATUS Exec(const char* sql);
    // Runs one statement as Run does, failing with ERR_DB_BUSY at once where a lock is held elsewhere.
    STATUS ExecWithoutWaiting(const char* sql);
    // Runs one statement kept prepared (by the address of its text, as Prepare keeps them): for the
    // statements every transaction runs, which Exec would parse each time.
    STATUS Run(const char* sql);
    // A statement prepared once per connection and reset before each use; null when it does not compile.
    Statement* Prepare(const char* sql, STATUS* status);

private:
    friend class Transaction;
    STATUS Opened(int rc);
    STATUS BeginWriting(bool waitForWriter, bool markLater);

    sqlite3* db_ = nullptr;
    STATUS writeRefusal_ = NOERROR;
    const char* markSql_ = nullptr;
    bool batch_ = false;
    bool markPending_ = false;
    const char* watched_ = nullptr;
    uint64_t tableWrites_ = 0;
    uint64_t writeSerial_ = 0, writeCount_ = 0;
    // The last write transaction committed here, and the file's data version right after its commit.
    uint64_t committedSerial_ = 0;
    uint32_t committedVersion_ = 0;
    std::map<const char*, std::unique_ptr<Statement>> statements_;
};

// BEGIN IMMEDIATE on construction (taking the write lock at once, so two writers never deadlock), ROLLBACK on
// destruction unless Commit succeeded. An exception thrown in between leaves nothing half-done.
// With waitForWriter false, a write lock that another connection holds fails the transaction at once with
// ERR_DB_BUSY rather than after the busy timeout: for work that can be done later. Inside a batch it is a
// savepoint of the batch's transaction, made durable when the batch commits.
class Transaction {
public:
    // With markLater, the mark of the write transaction waits for the caller (Connection::MarkPending).
    explicit Transaction(Connection& c, bool waitForWriter = true, bool markLater = false);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    STATUS Begun() const { return begun_; }
    STATUS Commit();

private:
    Connection& c_;
    STATUS begun_;
    bool open_ = false;
    bool inBatch_ = false;
};

// A consistent view for a run of reads: BEGIN (deferred) unless a transaction is already open, ended on
// destruction.
class ReadTransaction {
public:
    explicit ReadTransaction(Connection& c);
    ~ReadTransaction();
    ReadTransaction(const ReadTransaction&) = delete;
    ReadTransaction& operator=(const ReadTransaction&) = delete;

private:
    Connection& c_;
    bool open_;
};

} // namespace nnotes::store
