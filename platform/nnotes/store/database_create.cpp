#include "files/database_files.h"
#include "store/database.h"
#include "store/database_schema.h"
#include "store/note_identity.h"
#include "store/note_store.h"

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

STATUS CreateDatabaseFile(const std::string& fsPath, bool replace) {
    TempDatabaseFile temp;
    if (STATUS s = temp.Make(fsPath, "creating")) return s;
    {
        Connection sql;
        if (STATUS s = sql.Open(temp.Path(), true)) return s;
        if (STATUS s = Populate(sql)) return s;
    }
    return replace ? temp.PlaceOver(fsPath) : temp.PlaceNew(fsPath);
}

} // namespace nnotes::store
