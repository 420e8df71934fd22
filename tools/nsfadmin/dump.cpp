// nsfadmin dump: every document of a database as one JSON object per line.
#include "failure.h"
#include "item_values.h"
#include "nnotes/database.h"
#include "nnotes/idtable.h"
#include "nnotes/memblock.h"
#include "nnotes/note.h"
#include "nnotes/status.h"
#include "nnotes/timedate.h"
#include "nsfadmin/nsfadmin.h"
#include "open_database.h"
#include "value_text.h"

#include <nlohmann/json.hpp>

#include <cmath>

namespace nsfadmin {
namespace {

using namespace nnotes;
using nlohmann::ordered_json;

// Whole numbers are written without a fraction, as a description gives them.
ordered_json NumberJson(double d) {
    if (std::isfinite(d) && d == std::trunc(d) && std::fabs(d) < 9007199254740992.0)
        return static_cast<int64_t>(d);
    return d;
}

ordered_json TimeJson(const Instant& t) {
    return {{"datetime", TimeText(t)}};
}

// nullopt for a value of a type the dump does not show, or one whose bytes are damaged.
std::optional<ordered_json> ValueJson(uint16_t type, std::string_view bytes) {
    const auto v = ReadItemValue(type, bytes);
    if (!v) return std::nullopt;
    ordered_json entries = ordered_json::array();
    for (const auto& t : v->texts)
        entries.push_back(t);
    for (double d : v->numbers)
        entries.push_back(NumberJson(d));
    for (const auto& t : v->times)
        entries.push_back(TimeJson(t));
    if (v->list) return entries;
    return entries.at(0);
}

ordered_json NoteItems(NOTEHANDLE note) {
    ordered_json items = ordered_json::object();
    BLOCKID item{}, value{};
    uint16_t type = 0;
    uint32_t length = 0;
    for (STATUS s = FindItemByName(note, nullptr, 0, &item, &type, &value, &length); s == NOERROR;
         s = FindNextItemByName(note, nullptr, 0, item, &item, &type, &value, &length)) {
        char name[MAXITEMNAME + 1];
        if (QueryItemByBlock(note, item, name, sizeof name, nullptr, nullptr, nullptr, nullptr, nullptr) ||
            items.contains(name) || length < 2)
            continue;
        const char* base = static_cast<const char*>(LockBlock(value.pool));
        if (base == nullptr) continue;
        const auto json = ValueJson(type, std::string_view(base + value.block + 2, length - 2));
        UnlockBlock(value.pool);
        if (json) items[name] = *json;
    }
    return items;
}

} // namespace

std::string Dump(const std::string& database, const std::string& server, std::ostream& out) {
    return Run([&] {
        StoreSession session;
        OpenedDatabase db(database, server);
        DHANDLE table = NULLHANDLE;
        const STATUS s = GetModifiedNoteTable(db.Handle(), NOTE_CLASS_DOCUMENT, nullptr, nullptr, &table);
        if (s == ERR_NO_MODIFIED_NOTES) return;
        Check(s, db.Name());
        NOTEID id = 0;
        for (bool first = true; IDScan(table, first, &id) == NOERROR; first = false) {
            NOTEHANDLE note = 0;
            if (STATUS open = OpenNote(db.Handle(), id, 0, &note)) {
                DestroyIDTable(table);
                Check(open, db.Name() + ": note " + std::to_string(id));
            }
            ordered_json line = {{"noteid", id}, {"items", NoteItems(note)}};
            CloseNote(note);
            out << line.dump(-1, ' ', false, ordered_json::error_handler_t::replace) << '\n';
        }
        DestroyIDTable(table);
    });
}

} // namespace nsfadmin
