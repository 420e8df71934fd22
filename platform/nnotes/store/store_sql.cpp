#include "store/store_sql.h"

#include "store/note_identity.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <mutex>
#include <pthread.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nnotes::store {

namespace {
// Long enough for another process's save to finish, short enough that a stuck writer surfaces as a status.
constexpr int kBusyTimeoutMs = 30000;

// A file name as the path of a "file:" URI: every byte but the unreserved ones and "/" percent-encoded.
std::string UriPath(const std::string& path) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : path) {
        if (isalnum(c) || c == '/' || c == '-' || c == '.' || c == '_' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

// A connection that met damage never folds its log into the file.
void NoteDamage(int rc, sqlite3* db) {
    const int primary = rc & 0xFF;
    if (db == nullptr || (primary != SQLITE_CORRUPT && primary != SQLITE_NOTADB)) return;
    sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    sqlite3_wal_autocheckpoint(db, 0);
}

// Pages are read straight from the mapped file rather than copied in by a system call each; writes still go
// through the log as before. A limit rather than a setting, so the pragma cannot fail.
constexpr const char* kMapFile = "PRAGMA mmap_size=1073741824";
// What a batch changed, set back when it ends.
constexpr const char* kEndBatchSettings = "PRAGMA mmap_size=1073741824; PRAGMA temp_store=DEFAULT";

} // namespace

STATUS StatusOf(int rc) {
    switch (rc & 0xFF) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE:
        return NOERROR;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return ERR_DB_BUSY;
    case SQLITE_NOTADB:
        return ERR_NOT_A_DATABASE;
    case SQLITE_CORRUPT:
        return ERR_DB_DAMAGED;
    case SQLITE_FULL:
        return ERR_DB_DISK_FULL;
    case SQLITE_READONLY:
    case SQLITE_PERM:
        return ERR_DB_READ_ONLY;
    case SQLITE_NOMEM:
        return ERR_INSUFFICIENT_MEMORY;
    case SQLITE_CONSTRAINT:
        return ERR_NOTE_UNID_EXISTS;
    default:
        return ERR_DB_IO;
    }
}

STATUS StatusOfErrno(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return ERR_NOEXIST;
    case EMFILE:
    case ENFILE:
        return ERR_DB_TOO_MANY_FILES;
    case ENOSPC:
    case EDQUOT:
        return ERR_DB_DISK_FULL;
    case EACCES:
    case EPERM:
    case EROFS:
        return ERR_DB_READ_ONLY;
    case ENOMEM:
        return ERR_INSUFFICIENT_MEMORY;
    default:
        return ERR_DB_IO;
    }
}

STATUS StatusOf(int rc, sqlite3* db) {
    NoteDamage(rc, db);
    const STATUS s = StatusOf(rc);
    if (s == NOERROR || db == nullptr) return s;
    const int primary = rc & 0xFF;
    // Every value the store writes is bound or built from stored bytes: a NULL refused is one built from
    // stored bytes that were damaged (an emptied information value), not a universal id already taken.
    if (primary == SQLITE_CONSTRAINT && sqlite3_extended_errcode(db) == SQLITE_CONSTRAINT_NOTNULL)
        return ERR_DB_DAMAGED;
    if (primary != SQLITE_IOERR && primary != SQLITE_CANTOPEN && primary != SQLITE_FULL) return s;
    const STATUS system = StatusOfErrno(sqlite3_system_errno(db));
    return system == ERR_DB_TOO_MANY_FILES || system == ERR_DB_DISK_FULL ? system : s;
}

int Statement::Step() {
    used_ = true;
    const int rc = sqlite3_step(stmt_);
    NoteDamage(rc, sqlite3_db_handle(stmt_));
    return rc;
}

Statement& Statement::Bind(int index, int64_t value) {
    used_ = true;
    sqlite3_bind_int64(stmt_, index, value);
    return *this;
}

Statement& Statement::Bind(int index, std::string_view text) {
    used_ = true;
    sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    return *this;
}

Statement& Statement::BindBlob(int index, const void* data, size_t size) {
    used_ = true;
    // A zero-length blob must stay a blob, not become NULL.
    static const char kEmpty = 0;
    sqlite3_bind_blob(stmt_, index, size ? data : &kEmpty, static_cast<int>(size), SQLITE_TRANSIENT);
    return *this;
}

Statement& Statement::BindNull(int index) {
    used_ = true;
    sqlite3_bind_null(stmt_, index);
    return *this;
}

STATUS Statement::Run() {
    int rc;
    while ((rc = Step()) == SQLITE_ROW) {
    }
    const STATUS s = StatusOf(rc, sqlite3_db_handle(stmt_));
    Reset();
    return s;
}

void Statement::Reset() {
    // Prepare resets a kept statement before each use, and most uses reset it at their end already.
    if (!used_) return;
    used_ = false;
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

// Through the column's value: one call into the statement rather than two (each of which checks the
// statement and its errors again), the bytes and their length then read from the value itself. The value is
// an unprotected one, which is safe here: a connection of the store is used by one thread at a time.
std::string_view Statement::Text(int column) const {
    sqlite3_value* v = sqlite3_column_value(stmt_, column);
    const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return p ? std::string_view(p, static_cast<size_t>(sqlite3_value_bytes(v))) : std::string_view();
}

std::string_view Statement::Blob(int column) const {
    sqlite3_value* v = sqlite3_column_value(stmt_, column);
    const auto* p = static_cast<const char*>(sqlite3_value_blob(v));
    return p ? std::string_view(p, static_cast<size_t>(sqlite3_value_bytes(v))) : std::string_view();
}

Connection::~Connection() {
    Close();
}

STATUS Connection::Open(const std::string& path, bool create) {
    Close();
    const int flags = SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    int rc = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
    if (rc != SQLITE_OK && !create) { // a file we may only read
        sqlite3_close(db_);
        rc = sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_READONLY, nullptr);
    }
    return Opened(rc);
}

STATUS Connection::OpenReadingOnly(const std::string& path, STATUS refusal) {
    Close();
    writeRefusal_ = refusal;
    // A read-only connection wants the index file to exist, if only empty; making an empty file needs no
    // space. Nothing of this process has it open (it would exist then), so closing it drops no lock.
    const std::string index = path + "-shm";
    struct stat database {};
    const mode_t mode = ::stat(path.c_str(), &database) == 0 ? database.st_mode & 0777 : 0600;
    const int fd = ::open(index.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0) ::close(fd);
    const std::string uri = "file:" + UriPath(path) + "?mode=ro&readonly_shm=1";
    const int flags = SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_READONLY | SQLITE_OPEN_URI;
    return Opened(sqlite3_open_v2(uri.c_str(), &db_, flags, nullptr));
}

STATUS Connection::Opened(int rc) {
    if (rc != SQLITE_OK) {
        const STATUS s = StatusOf(rc, db_);
        Close();
        return s;
    }
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    sqlite3_exec(db_, kMapFile, nullptr, nullptr, nullptr);
    return NOERROR;
}

namespace {

// Counts the forks of this process, as seen in each child.
std::atomic<uint64_t> forks{0};

// Eight random bytes for a transaction's mark, drawn from the system some at a time (every write transaction
// takes one). A child of fork starts drawing afresh, so that it never gives the marks its parent gives.
uint64_t MarkBits() {
    static std::once_flag once;
    std::call_once(once, [] { pthread_atfork(nullptr, nullptr, [] { forks.fetch_add(1); }); });
    thread_local uint64_t bits[32];
    thread_local size_t left = 0;
    thread_local uint64_t generation = 0;
    const uint64_t now = forks.load();
    if (left == 0 || generation != now) {
        if (getrandom(bits, sizeof bits, 0) != static_cast<ssize_t>(sizeof bits)) return RandomBits();
        left = std::size(bits);
        generation = now;
    }
    return bits[--left];
}

} // namespace

STATUS Connection::Mark() {
    if (markSql_ == nullptr) return NOERROR;
    STATUS s;
    Statement* q = Prepare(markSql_, &s);
    if (q == nullptr) return s;
    const uint64_t mark = MarkBits();
    if (STATUS s = q->BindBlob(1, &mark, sizeof mark).Run()) return s;
    markPending_ = false;
    return NOERROR;
}

STATUS Connection::MarkWith(const char* sql, const std::function<void(Statement&)>& bind) {
    STATUS s;
    Statement* q = Prepare(sql, &s);
    if (q == nullptr) return s;
    const uint64_t mark = MarkBits();
    bind(q->BindBlob(1, &mark, sizeof mark));
    if (STATUS s = q->Run()) return s;
    markPending_ = false;
    return NOERROR;
}

namespace {

// The pager's count of changes to the main file: by this connection's commits and by others' (seen when a
// transaction begins).
uint32_t DataVersion(sqlite3* db) {
    uint32_t version = 0;
    sqlite3_file_control(db, "main", SQLITE_FCNTL_DATA_VERSION, &version);
    return version;
}

} // namespace

void Connection::WatchTable(const char* table) {
    watched_ = table;
    auto count = [](void* self, int, const char*, const char* name, sqlite3_int64) {
        auto* c = static_cast<Connection*>(self);
        if (c->watched_ != nullptr && std::strcmp(name, c->watched_) == 0) ++c->tableWrites_;
    };
    sqlite3_update_hook(db_, count, this);
}

bool Connection::UnchangedSince(uint64_t serial) const {
    return serial != 0 && serial == committedSerial_ && db_ != nullptr &&
           DataVersion(db_) == committedVersion_;
}

void Connection::WriteEnded(bool committed) {
    markPending_ = false;
    if (committed && writeSerial_ != 0) {
        committedSerial_ = writeSerial_;
        committedVersion_ = DataVersion(db_);
    }
    writeSerial_ = 0;
}

void Connection::LeaveFileUnwritten() {
    if (db_ == nullptr) return;
    sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    sqlite3_wal_autocheckpoint(db_, 0);
}

void Connection::Close() {
    writeRefusal_ = NOERROR;
    batch_ = false;
    markSql_ = nullptr;
    watched_ = nullptr;
    WriteEnded(false);
    committedSerial_ = 0;
    statements_.clear();
    if (db_ != nullptr) sqlite3_close(db_);
    db_ = nullptr;
}

STATUS Connection::Exec(const char* sql) {
    return StatusOf(sqlite3_exec(db_, sql, nullptr, nullptr, nullptr), db_);
}

STATUS Connection::ExecWithoutWaiting(const char* sql) {
    sqlite3_busy_timeout(db_, 0);
    const STATUS s = Run(sql);
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    return s;
}

STATUS Connection::Run(const char* sql) {
    STATUS s;
    Statement* q = Prepare(sql, &s);
    return q == nullptr ? s : q->Run();
}

Statement* Connection::Prepare(const char* sql, STATUS* status) {
    auto it = statements_.find(sql);
    if (it != statements_.end()) {
        it->second->Reset();
        *status = NOERROR;
        return it->second.get();
    }
    sqlite3_stmt* stmt = nullptr;
    const int rc = sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
    *status = StatusOf(rc, db_);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(stmt);
        return nullptr;
    }
    return statements_.emplace(sql, std::make_unique<Statement>(stmt)).first->second.get();
}

namespace {
// One text each, so that each is prepared once per connection.
constexpr const char* kBeginWrite = "BEGIN IMMEDIATE";
constexpr const char* kBeginRead = "BEGIN";
constexpr const char* kCommit = "COMMIT";
constexpr const char* kRollback = "ROLLBACK";

} // namespace

// Begins a write transaction and marks it (Connection::MarkWrites), or leaves the mark to its caller.
STATUS Connection::BeginWriting(bool waitForWriter, bool markLater) {
    Connection& c = *this;
    if (STATUS s = c.WriteRefusal()) return s;
    if (STATUS s = waitForWriter ? c.Run(kBeginWrite) : c.ExecWithoutWaiting(kBeginWrite)) return s;
    c.WriteBegun();
    if (markLater && markSql_ != nullptr) {
        markPending_ = true;
        return NOERROR;
    }
    if (STATUS s = c.Mark()) {
        c.Run(kRollback);
        c.WriteEnded(false);
        return s;
    }
    return NOERROR;
}

namespace {

// Inside a batch: a savepoint, unless a fault rolled the batch's transaction back.
STATUS BeginInBatch(Connection& c) {
    if (sqlite3_get_autocommit(c.Raw()) != 0) return ERR_DB_IO;
    return c.Exec("SAVEPOINT change");
}

} // namespace

STATUS Connection::BeginBatch() {
    if (batch_) return ERR_DB_IN_BATCH;
    // A batch fills the file: its reads are of pages it wrote, and a mapping would keep every page of a
    // growing file resident until the batch ends. Its pages go through the bounded page cache instead.
    // Each change inside is a savepoint, whose journal (the pages it changes, as they were) is kept in memory
    // rather than written to a file of its own: it is dropped when the change is through.
    sqlite3_exec(db_, "PRAGMA mmap_size=0; PRAGMA temp_store=MEMORY", nullptr, nullptr, nullptr);
    if (STATUS s = BeginWriting(true, false)) {
        sqlite3_exec(db_, kEndBatchSettings, nullptr, nullptr, nullptr);
        return s;
    }
    batch_ = true;
    return NOERROR;
}

STATUS Connection::CommitBatch() {
    if (!batch_) return ERR_DB_NO_BATCH;
    batch_ = false;
    if (sqlite3_get_autocommit(db_) != 0) { // a fault undid it
        WriteEnded(false);
        sqlite3_exec(db_, kEndBatchSettings, nullptr, nullptr, nullptr);
        return ERR_DB_IO;
    }
    const STATUS s = Exec("COMMIT");
    if (s != NOERROR && sqlite3_get_autocommit(db_) == 0) Exec("ROLLBACK");
    WriteEnded(s == NOERROR);
    sqlite3_exec(db_, kEndBatchSettings, nullptr, nullptr, nullptr);
    return s;
}

Transaction::Transaction(Connection& c, bool waitForWriter, bool markLater)
    : c_(c), begun_(c.InBatch() ? BeginInBatch(c) : c.BeginWriting(waitForWriter, markLater)),
      open_(begun_ == NOERROR), inBatch_(c.InBatch()) {}

Transaction::~Transaction() {
    if (!open_) return;
    if (!inBatch_) {
        c_.Run(kRollback);
        c_.WriteEnded(false);
    } else if (sqlite3_get_autocommit(c_.Raw()) == 0) {
        c_.Exec("ROLLBACK TO change");
        c_.Exec("RELEASE change");
    }
}

STATUS Transaction::Commit() {
    if (!open_) return begun_ ? begun_ : ERR_DB_IO;
    if (inBatch_ && sqlite3_get_autocommit(c_.Raw()) != 0) return ERR_DB_IO;
    if (c_.MarkPending())
        if (STATUS s = c_.Mark()) return s;
    const STATUS s = inBatch_ ? c_.Exec("RELEASE change") : c_.Run(kCommit);
    if (s == NOERROR) {
        open_ = false;
        if (!inBatch_) c_.WriteEnded(true);
    }
    return s;
}

ReadTransaction::ReadTransaction(Connection& c)
    : c_(c), open_(sqlite3_get_autocommit(c.Raw()) != 0 && c.Run(kBeginRead) == NOERROR) {}

ReadTransaction::~ReadTransaction() {
    if (open_) c_.Run(kRollback);
}

} // namespace nnotes::store
