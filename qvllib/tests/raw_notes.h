// Notes written straight through the store, item by item and byte for byte, for the tests whose databases
// hold values that no description of nsfadmin can say: rich text, ranges, NaN, ill-formed text, items of any
// type and flags, and several items of one name.
#pragma once

#include "nnotes/database.h"
#include "nnotes/note.h"
#include "util/coding.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace qvltest {

// One item as the store keeps it: the data after the type word.
struct RawItem {
    std::string name;
    uint16_t type = nnotes::TYPE_TEXT;
    std::string data;
    uint16_t flags = nnotes::ITEM_SUMMARY;
};

inline RawItem TextItem(const std::string& name, const std::string& text,
                        uint16_t flags = nnotes::ITEM_SUMMARY) {
    return RawItem{name, nnotes::TYPE_TEXT, text, flags};
}

// The data of a text list of these entries.
inline std::string TextListData(const std::vector<std::string>& entries) {
    std::string data;
    util::PutFixed16(&data, static_cast<uint16_t>(entries.size()));
    for (const std::string& entry : entries)
        util::PutFixed16(&data, static_cast<uint16_t>(entry.size()));
    for (const std::string& entry : entries)
        data += entry;
    return data;
}

inline std::string DoubleData(double number) {
    std::string data(8, '\0');
    std::memcpy(data.data(), &number, 8); // the hosts this runs on are little-endian, as the layout is
    return data;
}

inline std::string InstantData(uint32_t word0, uint32_t word1) {
    std::string data;
    util::PutFixed32(&data, word0);
    util::PutFixed32(&data, word1);
    return data;
}

// The data of a range value: the count of single values, the count of pairs, then the values (8 bytes each)
// and the pairs (16 bytes each) as given.
inline std::string RangeData(const std::vector<std::string>& singles, const std::vector<std::string>& pairs) {
    std::string data;
    util::PutFixed16(&data, static_cast<uint16_t>(singles.size()));
    util::PutFixed16(&data, static_cast<uint16_t>(pairs.size()));
    for (const std::string& single : singles)
        data += single;
    for (const std::string& pair : pairs)
        data += pair;
    return data;
}

// Appends the items to an open note; the status of the first append that fails.
inline nnotes::STATUS AppendItems(nnotes::NOTEHANDLE note, const std::vector<RawItem>& items) {
    for (const RawItem& item : items)
        if (const nnotes::STATUS status = nnotes::AppendItem(
                note, item.flags, item.name.data(), static_cast<uint16_t>(item.name.size()), item.type,
                item.data.data(), static_cast<uint32_t>(item.data.size()), nullptr))
            return status;
    return nnotes::NOERROR;
}

// Saves a new document of these items in the database at netpath; its note id, 0 when it could not be saved.
inline int AddRawDocument(const std::string& netpath, const std::vector<RawItem>& items) {
    nnotes::DBHANDLE db = 0;
    EXPECT_EQ(nnotes::OpenDatabase(netpath.c_str(), &db), nnotes::NOERROR) << netpath;
    if (db == 0) return 0;
    nnotes::NOTEHANDLE note = 0;
    nnotes::NOTEID id = 0;
    EXPECT_EQ(nnotes::CreateNote(db, &note), nnotes::NOERROR);
    if (note != 0) {
        EXPECT_EQ(AppendItems(note, items), nnotes::NOERROR);
        EXPECT_EQ(nnotes::UpdateNote(note, 0), nnotes::NOERROR);
        nnotes::GetNoteInfo(note, nnotes::NOTE_INFO_ID, &id);
        nnotes::CloseNote(note);
    }
    nnotes::CloseDatabase(db);
    return static_cast<int>(id);
}

} // namespace qvltest
