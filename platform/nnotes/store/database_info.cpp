// The information buffer, option words, identifier, modified times and space figures of a database.
#include "process/process.h"
#include "store/database.h"
#include "store/database_schema.h"

#include <cstring>
#include <string>
#include <vector>

namespace nnotes {
namespace {

constexpr uint16_t kInfoFields = 4;

std::vector<std::string> SplitFields(const char* info) {
    const std::string text(info, strnlen(info, DBINFO_SIZE));
    std::vector<std::string> fields;
    size_t pos = 0;
    while (true) {
        const size_t end = text.find('\n', pos);
        fields.push_back(text.substr(pos, end == std::string::npos ? std::string::npos : end - pos));
        if (end == std::string::npos) break;
        pos = end + 1;
    }
    return fields;
}

int64_t Pragma(store::Connection& sql, const char* name, STATUS& status) {
    const std::string text = std::string("PRAGMA ") + name;
    sqlite3_stmt* q = nullptr;
    int64_t value = 0;
    int rc = sqlite3_prepare_v2(sql.Raw(), text.c_str(), -1, &q, nullptr);
    if (rc == SQLITE_OK) rc = sqlite3_step(q);
    if (rc == SQLITE_ROW) value = sqlite3_column_int64(q, 0);
    sqlite3_finalize(q);
    if (status == NOERROR) status = store::StatusOf(rc);
    return value;
}

uint32_t Clamp(int64_t n) {
    return n < 0 ? 0 : n > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(n);
}

} // namespace

namespace store {

STATUS SpaceOf(Database& db, uint32_t* used, uint32_t* unused) {
    STATUS s = NOERROR;
    const int64_t pages = Pragma(db.Sql(), "page_count", s);
    const int64_t free = Pragma(db.Sql(), "freelist_count", s);
    const int64_t size = Pragma(db.Sql(), "page_size", s);
    if (s) return s;
    if (used != nullptr) *used = Clamp((pages - free) * size);
    if (unused != nullptr) *unused = Clamp(free * size);
    return NOERROR;
}

} // namespace store

STATUS GetDatabaseInfo(DBHANDLE handle, char* info) {
    return store::WithDatabase(handle, [&](store::Database& db) {
        if (info == nullptr) return ERR_MISSING_ARGUMENT;
        std::string bytes;
        if (STATUS s = db.ReadInfo(store::kInfoBuffer, bytes)) return s;
        if (bytes.size() >= DBINFO_SIZE) return ERR_DB_DAMAGED;
        std::memset(info, 0, DBINFO_SIZE);
        std::memcpy(info, bytes.data(), bytes.size());
        return NOERROR;
    });
}

STATUS SetDatabaseInfo(DBHANDLE handle, const char* info) {
    return store::WithDatabase(handle, [&](store::Database& db) {
        if (info == nullptr) return ERR_MISSING_ARGUMENT;
        const size_t length = strnlen(info, DBINFO_SIZE);
        if (length == DBINFO_SIZE) return ERR_DB_INFO_TOO_LONG;
        return db.WriteInfoAlone(store::kInfoBuffer, std::string_view(info, length));
    });
}

STATUS GetInfoField(const char* info, uint16_t field, char* out, uint16_t size) {
    if (STATUS s = RequireProcess()) return s;
    if (info == nullptr || out == nullptr || size == 0) return ERR_MISSING_ARGUMENT;
    if (field >= kInfoFields) return ERR_DB_INFO_FIELD;
    const auto fields = SplitFields(info);
    const std::string value = field < fields.size() ? fields[field] : std::string();
    const size_t n = std::min<size_t>(value.size(), size - 1u);
    std::memcpy(out, value.data(), n);
    out[n] = '\0';
    return NOERROR;
}

STATUS SetInfoField(char* info, uint16_t field, const char* text) {
    if (STATUS s = RequireProcess()) return s;
    if (info == nullptr || text == nullptr) return ERR_MISSING_ARGUMENT;
    if (field >= kInfoFields || std::strchr(text, '\n') != nullptr) return ERR_DB_INFO_FIELD;
    auto fields = SplitFields(info);
    if (fields.size() <= field) fields.resize(field + 1u);
    fields[field] = text;
    while (fields.size() > 1 && fields.back().empty())
        fields.pop_back();
    std::string joined;
    for (size_t i = 0; i < fields.size(); ++i)
        joined += (i ? "\n" : "") + fields[i];
    if (joined.size() >= DBINFO_SIZE) return ERR_DB_INFO_TOO_LONG;
    std::memset(info, 0, DBINFO_SIZE);
    std::memcpy(info, joined.data(), joined.size());
    return NOERROR;
}

STATUS GetDatabaseOptions(DBHANDLE handle, uint32_t* first, uint32_t* second) {
    return store::WithDatabase(handle, [&](store::Database& db) {
        uint32_t a = 0, b = 0;
        if (STATUS s = db.ReadInfoNumber(store::kInfoOptions, a)) return s;
        if (STATUS s = db.ReadInfoNumber(store::kInfoOptions2, b)) return s;
        if (first != nullptr) *first = a;
        if (second != nullptr) *second = b;
        return NOERROR;
    });
}

STATUS SetDatabaseOptions(DBHANDLE handle, uint32_t first) {
    return store::WithDatabase(handle, [&](store::Database& db) {
        return db.WriteInfoAlone(store::kInfoOptions,
                                 std::string_view(reinterpret_cast<const char*>(&first), sizeof first));
    });
}

STATUS SetDatabaseOptionBits(DBHANDLE handle, uint32_t bits, uint32_t mask) {
    return store::WithDatabase(handle, [&](store::Database& db) {
        store::Transaction t(db.Sql());
        if (STATUS s = t.Begun()) return s;
        uint32_t word = 0;
        if (STATUS s = db.ReadInfoNumber(store::kInfoOptions, word)) return s;
        if (STATUS s = db.WriteInfoNumber(store::kInfoOptions, (word & ~mask) | (bits & mask))) return s;
        return t.Commit();
    });
}

STATUS GetDatabaseId(DBHANDLE handle, Instant* id) {
    return store::WithDatabase(handle, [&](store::Database& db) {
        return id == nullptr ? ERR_MISSING_ARGUMENT : db.ReadInfoAs(store::kInfoId, *id);
    });
}

STATUS GetModifiedTimes(DBHANDLE handle, Instant* data, Instant* design) {
    return store::WithDatabase(handle, [&](store::Database& db) {
        Instant a, b;
        if (STATUS s = db.ReadInfoAs(store::kInfoDataModified, a)) return s;
        if (STATUS s = db.ReadInfoAs(store::kInfoDesignModified, b)) return s;
        if (data != nullptr) *data = a;
        if (design != nullptr) *design = b;
        return NOERROR;
    });
}

STATUS GetDatabaseVersion(DBHANDLE handle, uint16_t* version) {
    return store::WithDatabase(handle, [&](store::Database&) {
        if (version == nullptr) return ERR_MISSING_ARGUMENT;
        *version = static_cast<uint16_t>(store::kSchemaVersion);
        return NOERROR;
    });
}

} // namespace nnotes
