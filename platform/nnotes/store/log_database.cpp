#include "store/log_database.h"
#include "util/coding.h"

#include <bit>

namespace nnotes::logdb {
namespace {

// The value bytes of a text list (without its type word).
std::string TextList(const std::vector<std::string>& texts) {
    std::string out;
    util::PutFixed16(&out, static_cast<uint16_t>(texts.size()));
    for (const auto& t : texts)
        util::PutFixed16(&out, static_cast<uint16_t>(t.size()));
    for (const auto& t : texts)
        out += t;
    return out;
}

STATUS Append(NOTEHANDLE note, const Item& item) {
    const auto nameLength = static_cast<uint16_t>(item.name.size());
    switch (item.type) {
    case TYPE_NUMBER: {
        char number[8];
        util::EncodeFixed64(number, std::bit_cast<uint64_t>(item.number));
        return AppendItem(note, ITEM_SUMMARY, item.name.c_str(), nameLength, TYPE_NUMBER, number,
                          sizeof number, nullptr);
    }
    case TYPE_TEXT_LIST: {
        const std::string list = TextList(item.texts);
        return AppendItem(note, ITEM_SUMMARY, item.name.c_str(), nameLength, TYPE_TEXT_LIST, list.data(),
                          static_cast<uint32_t>(list.size()), nullptr);
    }
    default:
        return AppendItem(note, ITEM_SUMMARY, item.name.c_str(), nameLength, TYPE_TEXT,
                          item.texts.front().data(), static_cast<uint32_t>(item.texts.front().size()),
                          nullptr);
    }
}

STATUS OpenLog(DBHANDLE* db) {
    STATUS s = OpenDatabase(LOG_DATABASE, db);
    if (ERR(s) != ERR_NOEXIST) return s;
    s = CreateDatabase(LOG_DATABASE, 0, false, 0, 0, 0);
    if (s != NOERROR && ERR(s) != ERR_DB_EXISTS) return s;
    return OpenDatabase(LOG_DATABASE, db);
}

} // namespace

STATUS Write(const std::vector<Item>& items) {
    DBHANDLE db = 0;
    if (STATUS s = OpenLog(&db)) return s;
    NOTEHANDLE note = 0;
    STATUS s = CreateNote(db, &note);
    for (const auto& item : items)
        if (s == NOERROR) s = Append(note, item);
    if (s == NOERROR) s = UpdateNote(note, 0);
    if (note != 0) CloseNote(note);
    CloseDatabase(db);
    return s;
}

} // namespace nnotes::logdb
