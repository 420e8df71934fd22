// nsfadmin view: a view's entries in collection order, one tab-separated line each: the kind, the indent
// level (the entry's depth: categories and responses each go one deeper), the note id (0 for categories and
// totals), then each column's value.
#include "failure.h"
#include "nnotes/collection.h"
#include "nnotes/database.h"
#include "nnotes/idtable.h"
#include "nnotes/memblock.h"
#include "nnotes/note.h"
#include "nnotes/status.h"
#include "nsfadmin/nsfadmin.h"
#include "open_database.h"
#include "util/coding.h"
#include "util/text.h"
#include "value_text.h"
#include "view_format.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace nsfadmin {
namespace {

using namespace nnotes;

struct Caseless {
    bool operator()(const std::string& a, const std::string& b) const {
        return util::CompareNoCase(a, b) < 0;
    }
};
using Summary = std::map<std::string, std::string_view, Caseless>;

// An entry's summary item table: 16-bit total length (header included), 16-bit count, a 16-bit name length
// and value length per item, then each item's name and value. Every length is checked.
bool ParseSummary(std::string_view b, Summary& out) {
    if (b.size() < 4) return false;
    const size_t total = util::DecodeFixed16(b.data()), count = util::DecodeFixed16(b.data() + 2);
    if (total < 4 + 4 * count || total > b.size()) return false;
    size_t at = 4 + 4 * count;
    for (size_t i = 0; i < count; ++i) {
        const size_t nameLength = util::DecodeFixed16(b.data() + 4 + 4 * i),
                     valueLength = util::DecodeFixed16(b.data() + 6 + 4 * i);
        if (nameLength + valueLength > total - at) return false;
        out[std::string(b.substr(at, nameLength))] = b.substr(at + nameLength, valueLength);
        at += nameLength + valueLength;
    }
    return true;
}

std::string ColumnText(std::string_view value) {
    if (value.size() < 2) return "";
    const auto read = ReadItemValue(util::DecodeFixed16(value.data()), value.substr(2));
    return read ? ValueText(*read) : "";
}

std::vector<StoredColumn> ColumnsOf(DBHANDLE db, NOTEID viewId, const std::string& place) {
    NOTEHANDLE note = 0;
    Check(OpenNote(db, viewId, 0, &note), place);
    BLOCKID value{};
    uint32_t length = 0;
    uint16_t type = 0;
    const STATUS found =
        FindItemByName(note, VIEW_FORMAT_ITEM, static_cast<uint16_t>(std::strlen(VIEW_FORMAT_ITEM)), nullptr,
                       &type, &value, &length);
    const char* base = found == NOERROR ? static_cast<const char*>(LockBlock(value.pool)) : nullptr;
    std::vector<StoredColumn> columns;
    try {
        if (base == nullptr || type != TYPE_VIEW_FORMAT || length < 2)
            throw Failure(place + ": no column layout");
        columns = ReadViewColumns(std::string_view(base + value.block + 2, length - 2), place);
    } catch (const Failure&) {
        if (base != nullptr) UnlockBlock(value.pool);
        CloseNote(note);
        throw;
    }
    UnlockBlock(value.pool);
    CloseNote(note);
    return columns;
}

class OpenedCollection {
public:
    OpenedCollection(DBHANDLE db, NOTEID viewId, const std::string& place) {
        Check(OpenCollection(db, db, viewId, 0, NULLHANDLE, &collection_), place);
    }
    ~OpenedCollection() { CloseCollection(collection_); }
    OpenedCollection(const OpenedCollection&) = delete;
    OpenedCollection& operator=(const OpenedCollection&) = delete;
    HCOLLECTION Handle() const { return collection_; }

private:
    HCOLLECTION collection_ = 0;
};

// One entry read at the position after *position, which moves there; false after the last entry.
bool NextEntry(HCOLLECTION collection, CollectionPosition& position, std::string& entry,
               const std::string& place) {
    DHANDLE buffer = NULLHANDLE;
    uint16_t length = 0;
    uint32_t returned = 0;
    const STATUS s =
        ReadEntries(collection, &position, NAVIGATE_NEXT, 1, NAVIGATE_CURRENT, 1,
                    READ_MASK_NOTEID | READ_MASK_SUMMARY, &buffer, &length, nullptr, &returned, nullptr);
    if (ERR(s) == ERR_NOT_FOUND) return false;
    Check(s, place);
    if (buffer == NULLHANDLE) return false;
    const char* bytes = static_cast<const char*>(LockBlock(buffer));
    entry = bytes == nullptr ? std::string() : std::string(bytes, length);
    if (bytes != nullptr) UnlockBlock(buffer);
    FreeBlock(buffer);
    return returned == 1 && bytes != nullptr;
}

std::string Line(std::string_view entry, uint16_t level, const std::vector<StoredColumn>& columns,
                 const std::string& place) {
    NOTEID id = 0;
    Summary summary;
    if (entry.size() < 4 || !ParseSummary(entry.substr(4), summary))
        throw Failure(place + ": an entry is damaged");
    std::memcpy(&id, entry.data(), 4);
    const bool total = (id & NOTEID_TOTAL) == NOTEID_TOTAL, category = !total && (id & NOTEID_CATEGORY) != 0;
    std::string line = total ? "total" : category ? "category" : "document";
    line += "\t" + std::to_string(level) + "\t" + std::to_string(total || category ? 0 : id);
    for (const StoredColumn& c : columns) {
        auto value = c.item.empty() ? summary.end() : summary.find(c.item);
        std::string text;
        if (value != summary.end())
            text = ColumnText(value->second);
        else if (c.item.empty() && !total && !category)
            text = c.constant;
        // One entry, one line: tabs and line breaks inside values (stored line feeds are NUL bytes) become
        // spaces.
        std::replace_if(
            text.begin(), text.end(),
            [](char ch) { return ch == '\t' || ch == '\n' || ch == '\r' || ch == '\0'; }, ' ');
        line += "\t" + text;
    }
    return line;
}

} // namespace

std::string ListView(const std::string& database, const std::string& view, const std::string& server,
                     std::ostream& out) {
    return Run([&] {
        StoreSession session;
        OpenedDatabase db(database, server);
        const std::string place = db.Name() + ": view \"" + view + "\"";
        NOTEID viewId = 0;
        Check(FindDesignNote(db.Handle(), view.c_str(), NOTE_CLASS_VIEW, &viewId), place);
        const auto columns = ColumnsOf(db.Handle(), viewId, place);
        OpenedCollection collection(db.Handle(), viewId, place);
        CollectionPosition position{};
        std::string entry;
        while (NextEntry(collection.Handle(), position, entry, place))
            out << Line(entry, position.Level, columns, place) << '\n';
    });
}

} // namespace nsfadmin
