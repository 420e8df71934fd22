#include "store/database.h"

#include "store/database_schema.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace nnotes::store {

STATUS CheckDatabaseHead(const std::string& fsPath) {
    unsigned char header[100] = {};
    size_t got = 0;
    if (STATUS s = ReadFileHead(fsPath, header, sizeof header, &got)) return s;
    if (got != sizeof header || std::memcmp(header, "SQLite format 3", 16) != 0) return ERR_NOT_A_DATABASE;
    const uint32_t applicationId = uint32_t{header[68]} << 24 | uint32_t{header[69]} << 16 |
                                   uint32_t{header[70]} << 8 | uint32_t{header[71]};
    return applicationId == kApplicationId ? NOERROR : ERR_NOT_A_DATABASE;
}

STATUS Database::Open(const std::string& fsPath, const std::string& netpath, std::shared_ptr<Database>& out) {
    struct stat st;
    if (::stat(fsPath.c_str(), &st) != 0) return StatusOfErrno(errno);
    auto db = std::make_shared<Database>();
    db->fsPath_ = fsPath;
    db->netpath_ = netpath;
    if (S_ISDIR(st.st_mode)) {
        db->directory_ = true;
        out = std::move(db);
        return NOERROR;
    }
    if (STATUS s = HoldShared(fsPath, db->hold_)) return s;
    if (STATUS s = CheckDatabaseHead(fsPath)) return s;
    STATUS s = db->sql_.Open(fsPath, false);
    if (s == NOERROR) s = db->sql_.Exec("PRAGMA synchronous=FULL");
    if (s == NOERROR) s = CheckSchema(db->sql_); // the first read: it sets up the shared log index
    if (s == ERR_DB_DISK_FULL) {
        // The log index could not be made: without it the file can still be read, by this handle alone.
        s = db->sql_.OpenReadingOnly(fsPath, ERR_DB_DISK_FULL);
        if (s == NOERROR) s = CheckSchema(db->sql_);
    }
    if (s) {
        db->sql_.LeaveFileUnwritten(); // a file this library cannot read is not written either
        return s;
    }
    db->sql_.MarkWrites(kMarkLogSql);
    out = std::move(db);
    return NOERROR;
}

STATUS Database::ReadInfo(const char* key, std::string& out) {
    STATUS s;
    Statement* q = sql_.Prepare("SELECT value FROM info WHERE key=?", &s);
    if (q == nullptr) return s;
    q->Bind(1, key);
    const int rc = q->Step();
    if (rc != SQLITE_ROW) {
        q->Reset();
        return rc == SQLITE_DONE ? ERR_DB_DAMAGED : StatusOf(rc);
    }
    out = q->Blob(0);
    q->Reset();
    return NOERROR;
}

STATUS Database::WriteInfo(const char* key, std::string_view value) {
    if (std::strcmp(key, kInfoDataModified) == 0 || std::strcmp(key, kInfoDesignModified) == 0)
        stampSerial_ = 0; // read again when next asked
    STATUS s;
    // An upsert rather than INSERT OR REPLACE, which deletes the row and inserts it again: a save writes the
    // modified time this way every time.
    Statement* q = sql_.Prepare(
        "INSERT INTO info(key, value) VALUES(?1, ?2) ON CONFLICT(key) DO UPDATE SET value=excluded.value",
        &s);
    if (q == nullptr) return s;
    return q->Bind(1, key).BindBlob(2, value.data(), value.size()).Run();
}

STATUS Database::WriteInfoNumber(const char* key, uint32_t value) {
    return WriteInfo(key, std::string_view(reinterpret_cast<const char*>(&value), sizeof value));
}

STATUS Database::WriteInfoAlone(const char* key, std::string_view value) {
    Transaction t(sql_);
    if (STATUS s = t.Begun()) return s;
    if (STATUS s = WriteInfo(key, value)) return s;
    return t.Commit();
}

STATUS Database::TouchModified(uint16_t noteClass, const Instant& stamp) {
    const char* key = noteClass == NOTE_CLASS_DOCUMENT ? kInfoDataModified : kInfoDesignModified;
    const uint64_t serial = stampSerial_;
    if (sql_.MarkPending()) {
        // The transaction's mark and the time in one statement: both lie on the info page.
        stampSerial_ = 0;
        STATUS s = sql_.MarkWith(kMarkLogAndSetSql,
                                 [&](Statement& q) { q.Bind(2, key).BindBlob(3, &stamp, sizeof stamp); });
        if (s) return s;
    } else if (STATUS s =
                   WriteInfo(key, std::string_view(reinterpret_cast<const char*>(&stamp), sizeof stamp))) {
        return s;
    }
    // The latest stamp stays known: a stamp written is one NextStamp gave, later than every one before.
    int order = 0;
    if (serial != 0 && serial == sql_.WriteSerial() &&
        CompareInstants(&stamp, &lastStamp_, &order) == NOERROR) {
        if (order > 0) lastStamp_ = stamp;
        stampSerial_ = serial;
    }
    return NOERROR;
}

STATUS Database::LastStamp(Instant& stamp) {
    // Inside a write transaction the latest stamp is read once; it holds on into the next one as long as
    // nothing but this connection's saves changed the file between.
    const uint64_t serial = sql_.WriteSerial();
    if (serial != 0 && (stampSerial_ == serial || sql_.UnchangedSince(stampSerial_))) {
        stampSerial_ = serial;
        stamp = lastStamp_;
        return NOERROR;
    }
    if (STATUS s = ReadLastStamp(stamp)) return s;
    lastStamp_ = stamp;
    stampSerial_ = serial;
    return NOERROR;
}

STATUS Database::ReadLastStamp(Instant& stamp) {
    stamp = Instant{};
    // Both times in one statement: every save asks. Two lookups by key rather than "key IN (...)", which
    // SQLite answers by building a temporary table of the keys first, on every call.
    STATUS s;
    Statement* q = sql_.Prepare(
        "SELECT (SELECT value FROM info WHERE key=?1), (SELECT value FROM info WHERE key=?2)", &s);
    if (q == nullptr) return s;
    q->Bind(1, kInfoDataModified).Bind(2, kInfoDesignModified);
    const int rc = q->Step();
    if (rc != SQLITE_ROW) {
        q->Reset();
        return StatusOf(rc);
    }
    STATUS result = NOERROR;
    for (int column = 0; column < 2 && result == NOERROR; ++column) {
        Instant when;
        const bool missing = q->IsNull(column); // asked before reading: reading may change the answer
        const std::string_view value = q->Blob(column);
        if (missing || value.size() != sizeof when) {
            result = ERR_DB_DAMAGED;
            break;
        }
        std::memcpy(&when, value.data(), sizeof when);
        int order = 0;
        if (CompareInstants(&when, &stamp, &order) == NOERROR && order > 0) stamp = when;
    }
    q->Reset();
    return result;
}

STATUS Database::NextStamp(Instant& stamp) {
    Instant last;
    if (STATUS s = LastStamp(last)) return s;
    if (STATUS s = CurrentTime(&stamp)) return s;
    int order = 0;
    if (CompareInstants(&stamp, &last, &order) != NOERROR || order <= 0) {
        stamp = last;
        // A latest stamp that cannot be stepped on is no time this library gave: its bytes were damaged.
        if (AdvanceInstant(&stamp, 1) != NOERROR) return ERR_DB_DAMAGED;
    }
    return NOERROR;
}

} // namespace nnotes::store
