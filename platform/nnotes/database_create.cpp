#include "database.h"
#include "database_schema.h"
#include "note_identity.h"
#include "note_store.h"

#include <filesystem>
#include <unistd.h>

namespace nnotes::store {
namespace {

// Fills a new, empty file: schema, identifier, empty information and options, and an icon note.
STATUS Populate(Connection& sql) {
    if (STATUS s = CreateSchema(sql)) return s;
    Transaction t(sql);
    if (STATUS s = t.Begun()) return s;
    Instant id;
    ORIGINATORID icon;
    if (STATUS s = UniqueNow(&id)) return s;
    if (STATUS s = NewIdentity(&icon)) return s;
    const std::string_view idBytes(reinterpret_cast<const char*>(&id), sizeof id);
    const std::string_view now(reinterpret_cast<const char*>(&icon.note), sizeof icon.note);
    const uint32_t zero = 0;
    STATUS s;
    Statement* q = sql.Prepare("INSERT INTO info(key, value) VALUES(?, ?)", &s);
    if (q == nullptr) return s;
    const std::pair<const char*, std::string_view> values[] = {
        {kInfoId, idBytes},
        {kInfoBuffer, {}},
        {kInfoOptions, {reinterpret_cast<const char*>(&zero), sizeof zero}},
        {kInfoOptions2, {reinterpret_cast<const char*>(&zero), sizeof zero}},
        {kInfoDataModified, now},
        {kInfoDesignModified, now},
    };
    for (const auto& [key, value] : values)
        if (STATUS s = q->Bind(1, key).BindBlob(2, value.data(), value.size()).Run()) return s;
    icon.sequence = 1;
    NOTEID iconId = 0;
    if (STATUS s = InsertNoteRow(sql, NOTE_CLASS_ICON, icon, icon.note, std::nullopt, iconId)) return s;
    return t.Commit();
}

} // namespace

STATUS CreateDatabaseFile(const std::string& fsPath) {
    std::error_code ec;
    if (std::filesystem::exists(fsPath, ec)) return ERR_DB_EXISTS;
    const std::filesystem::path target(fsPath);
    std::filesystem::create_directories(target.parent_path(), ec);
    if (ec) return ERR_DB_CREATE;

    // Built under a temporary name and linked into place, so the database appears whole or not at all and
    // a file that appeared meanwhile is never overwritten.
    const std::string temp = fsPath + ".creating-" + std::to_string(RandomBits());
    STATUS s;
    {
        Connection sql;
        s = sql.Open(temp, true);
        if (s == NOERROR) s = Populate(sql);
    }
    if (s == NOERROR && ::link(temp.c_str(), fsPath.c_str()) != 0)
        s = errno == EEXIST ? ERR_DB_EXISTS : ERR_DB_CREATE;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        std::filesystem::remove(temp + suffix, ec);
    return s;
}

} // namespace nnotes::store
