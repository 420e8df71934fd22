// Database objects: stores of bytes outside the notes (attachments and the like) that items of TYPE_OBJECT
// name by id and type. Only their sizes are kept; they live in one value of the info table, so that copies
// of the file carry them.
#include "store/database.h"
#include "util/coding.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace nnotes {
namespace {

constexpr const char* kInfoObjects = "objects";

// One record per object: id (32), type (16), size (32).
constexpr size_t kRecord = 10;

struct Record {
    uint32_t id;
    uint16_t type;
    uint32_t size;
};

Record At(const std::string& table, size_t offset) {
    Record r{};
    const char* at = table.data() + offset;
    r.id = util::DecodeFixed32(at);
    r.type = util::DecodeFixed16(at + 4);
    r.size = util::DecodeFixed32(at + 6);
    return r;
}

STATUS ReadTable(store::Database& database, std::string& table) {
    STATUS s;
    store::Statement* q = database.Sql().Prepare("SELECT value FROM info WHERE key=?", &s);
    if (q == nullptr) return s;
    q->Bind(1, kInfoObjects);
    const int rc = q->Step();
    table.clear();
    s = NOERROR;
    if (rc == SQLITE_ROW)
        table = q->Blob(0);
    else if (rc != SQLITE_DONE)
        s = store::StatusOf(rc);
    q->Reset();
    if (s == NOERROR && table.size() % kRecord != 0) return ERR_DB_DAMAGED;
    return s;
}

} // namespace

STATUS AllocateObject(DBHANDLE db, uint16_t objectType, uint32_t size, uint32_t* objectId) {
    return store::WithDatabase(db, [&](store::Database& database) -> STATUS {
        if (objectId == nullptr) return ERR_MISSING_ARGUMENT;
        store::Transaction t(database.Sql());
        if (STATUS s = t.Begun()) return s;
        std::string table;
        if (STATUS s = ReadTable(database, table)) return s;
        uint32_t last = 0;
        for (size_t at = 0; at < table.size(); at += kRecord)
            last = std::max(last, At(table, at).id);
        if (last == UINT32_MAX) return ERR_OBJECT_IDS_EXHAUSTED;
        const uint32_t id = last + 1;
        char record[kRecord];
        util::EncodeFixed32(record, id);
        util::EncodeFixed16(record + 4, objectType);
        util::EncodeFixed32(record + 6, size);
        table.append(record, kRecord);
        if (STATUS s = database.WriteInfo(kInfoObjects, table)) return s;
        if (STATUS s = t.Commit()) return s;
        *objectId = id;
        return NOERROR;
    });
}

STATUS GetObjectSize(DBHANDLE db, uint32_t objectId, uint16_t objectType, uint32_t* size) {
    return store::WithDatabase(db, [&](store::Database& database) -> STATUS {
        if (size == nullptr) return ERR_MISSING_ARGUMENT;
        std::string table;
        if (STATUS s = ReadTable(database, table)) return s;
        for (size_t at = 0; at < table.size(); at += kRecord) {
            const Record r = At(table, at);
            if (r.id == objectId && r.type == objectType) {
                *size = r.size;
                return NOERROR;
            }
        }
        return ERR_OBJECT_NOT_FOUND;
    });
}

} // namespace nnotes
