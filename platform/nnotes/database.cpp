#include "database.h"

#include "database_schema.h"

#include <cstring>
#include <fstream>
#include <sys/stat.h>

namespace nnotes::store {

bool LooksLikeDatabase(const std::string& fsPath) {
    unsigned char header[100] = {};
    std::ifstream in(fsPath, std::ios::binary);
    if (!in.read(reinterpret_cast<char*>(header), sizeof header)) return false;
    if (std::memcmp(header, "SQLite format 3", 16) != 0) return false;
    const uint32_t applicationId = uint32_t{header[68]} << 24 | uint32_t{header[69]} << 16 |
                                   uint32_t{header[70]} << 8 | uint32_t{header[71]};
    return applicationId == kApplicationId;
}

STATUS Database::Open(const std::string& fsPath, const std::string& netpath, std::shared_ptr<Database>& out) {
    struct stat st;
    if (::stat(fsPath.c_str(), &st) != 0) return ERR_NOEXIST;
    auto db = std::make_shared<Database>();
    db->fsPath_ = fsPath;
    db->netpath_ = netpath;
    if (S_ISDIR(st.st_mode)) {
        db->directory_ = true;
        out = std::move(db);
        return NOERROR;
    }
    if (!S_ISREG(st.st_mode) || !LooksLikeDatabase(fsPath)) return ERR_NOT_A_DATABASE;
    if (STATUS s = db->sql_.Open(fsPath, false)) return s;
    if (STATUS s = db->sql_.Exec("PRAGMA synchronous=FULL")) return s;
    if (STATUS s = CheckSchema(db->sql_)) return s;
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
    STATUS s;
    Statement* q = sql_.Prepare("INSERT OR REPLACE INTO info(key, value) VALUES(?, ?)", &s);
    if (q == nullptr) return s;
    return q->Bind(1, key).BindBlob(2, value.data(), value.size()).Run();
}

STATUS Database::ReadInfoNumber(const char* key, uint32_t& out) {
    std::string bytes;
    if (STATUS s = ReadInfo(key, bytes)) return s;
    if (bytes.size() != sizeof out) return ERR_DB_DAMAGED;
    std::memcpy(&out, bytes.data(), sizeof out);
    return NOERROR;
}

STATUS Database::WriteInfoNumber(const char* key, uint32_t value) {
    return WriteInfo(key, std::string_view(reinterpret_cast<const char*>(&value), sizeof value));
}

STATUS Database::TouchModified(uint16_t noteClass, const Instant& now) {
    const char* key = noteClass == NOTE_CLASS_DOCUMENT ? kInfoDataModified : kInfoDesignModified;
    return WriteInfo(key, std::string_view(reinterpret_cast<const char*>(&now), sizeof now));
}

} // namespace nnotes::store
