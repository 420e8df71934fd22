// Finding a design note (form, view, agent ...) by its title.
#include "store/database.h"
#include "util/coding.h"
#include "util/text.h"

#include <cstring>
#include <string>

namespace nnotes {
namespace {

// True when the whole title, or one of its "|"-separated names, equals name, blanks around names aside.
bool TitleNames(std::string_view title, std::string_view name) {
    if (util::EqualsNoCase(title, name)) return true;
    size_t pos = 0;
    while (pos <= title.size()) {
        size_t bar = title.find('|', pos);
        if (bar == std::string_view::npos) bar = title.size();
        std::string_view part = title.substr(pos, bar - pos);
        while (!part.empty() && part.front() == ' ')
            part.remove_prefix(1);
        while (!part.empty() && part.back() == ' ')
            part.remove_suffix(1);
        if (util::EqualsNoCase(part, name)) return true;
        pos = bar + 1;
    }
    return false;
}

// True when a "$TITLE" value (a text, or each entry of a text list) names name.
bool Names(std::string_view value, std::string_view name) {
    const uint16_t type = util::DecodeFixed16(value.data());
    if (type == TYPE_TEXT) return TitleNames(value.substr(sizeof type), name);
    if (type != TYPE_TEXT_LIST) return false;
    uint16_t count = 0;
    const auto size = static_cast<uint32_t>(value.size());
    if (CountTextListEntries(value.data(), size, true, &count) != NOERROR) return false;
    for (uint16_t i = 0; i < count; ++i) {
        const char* text = nullptr;
        uint16_t length = 0;
        if (GetTextListEntry(value.data(), size, true, i, &text, &length) != NOERROR) return false;
        if (TitleNames(std::string_view(text, length), name)) return true;
    }
    return false;
}

} // namespace

STATUS FindDesignNote(DBHANDLE db, const char* name, uint16_t noteClass, NOTEID* id) {
    return store::WithDatabase(db, [&](store::Database& database) {
        if (name == nullptr || id == nullptr) return ERR_MISSING_ARGUMENT;
        // A filter on the class bits cannot use the class index, and documents outnumber design notes by
        // far: the few distinct classes are walked on the index (one seek each), and only the notes of the
        // classes that match are read.
        STATUS s;
        store::Statement* q = database.Sql().Prepare(
            "WITH RECURSIVE classes(c) AS ("
            " SELECT min(class) FROM notes"
            " UNION ALL SELECT (SELECT min(class) FROM notes WHERE class > c) FROM classes WHERE c IS NOT "
            "NULL)"
            " SELECT n.id, i.value FROM notes n JOIN items i ON i.note = n.id"
            " WHERE n.class IN (SELECT c FROM classes WHERE c & ?1) AND i.name = '$TITLE'"
            " ORDER BY n.id, i.seq",
            &s);
        if (q == nullptr) return s;
        q->Bind(1, noteClass);
        int rc;
        while ((rc = q->Step()) == SQLITE_ROW) {
            if (q->Blob(1).size() < sizeof(uint16_t) || !Names(q->Blob(1), name)) continue;
            *id = static_cast<NOTEID>(q->Int(0));
            q->Reset();
            return NOERROR;
        }
        q->Reset();
        return rc == SQLITE_DONE ? ERR_NOTE_NOT_FOUND : store::StatusOf(rc);
    });
}

} // namespace nnotes
