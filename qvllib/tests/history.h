// The stored lines of a merge-history item and the other stored items of a document, read through the store
// itself, for the tests that check what the write-back left.
#pragma once

#include "nnotes/database.h"
#include "nnotes/note.h"
#include "nnotes/textlist.h"
#include "testsupport/item_bytes.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace qvltest {

// The entries of the text item name of note id in the database (stored bytes); nullopt when the note does not
// open or has no such item, or the item is not text.
inline std::optional<std::vector<std::string>> StoredLines(const char* database, int id, const char* name) {
    nnotes::DBHANDLE db = 0;
    if (nnotes::OpenDatabase(database, &db) != nnotes::NOERROR) return std::nullopt;
    nnotes::NOTEHANDLE note = 0;
    std::optional<std::vector<std::string>> lines;
    if (nnotes::OpenNote(db, static_cast<nnotes::NOTEID>(id), 0, &note) == nnotes::NOERROR) {
        if (const auto item = testsupport::ReadItem(note, name)) {
            if (item->type == nnotes::TYPE_TEXT) {
                lines = std::vector<std::string>{item->value.substr(2)};
            } else if (item->type == nnotes::TYPE_TEXT_LIST) {
                uint16_t count = 0;
                if (nnotes::CountTextListEntries(item->value.data(),
                                                 static_cast<uint32_t>(item->value.size()), true,
                                                 &count) == nnotes::NOERROR) {
                    lines.emplace();
                    for (uint16_t i = 0; i < count; ++i) {
                        const char* text = nullptr;
                        uint16_t length = 0;
                        if (nnotes::GetTextListEntry(item->value.data(),
                                                     static_cast<uint32_t>(item->value.size()), true, i,
                                                     &text, &length) != nnotes::NOERROR) {
                            lines.reset();
                            break;
                        }
                        lines->emplace_back(text, length);
                    }
                }
            }
        }
        nnotes::CloseNote(note);
    }
    nnotes::CloseDatabase(db);
    return lines;
}

// The stored bytes (type word first) of each of the named items of note id that it has.
inline std::map<std::string, std::string> StoredValues(const char* database, int id,
                                                       const std::vector<std::string>& names) {
    std::map<std::string, std::string> values;
    nnotes::DBHANDLE db = 0;
    if (nnotes::OpenDatabase(database, &db) != nnotes::NOERROR) return values;
    nnotes::NOTEHANDLE note = 0;
    if (nnotes::OpenNote(db, static_cast<nnotes::NOTEID>(id), 0, &note) == nnotes::NOERROR) {
        for (const std::string& name : names)
            if (const auto item = testsupport::ReadItem(note, name)) values[name] = item->value;
        nnotes::CloseNote(note);
    }
    nnotes::CloseDatabase(db);
    return values;
}

} // namespace qvltest
