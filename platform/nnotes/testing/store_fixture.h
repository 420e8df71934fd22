// The library started in a test area for each test (its settings file written by the store's own tests as
// they need it), and what the store's tests ask of the databases in it.
#pragma once

#include "nnotes/nnotes.h"
#include "testsupport/test_area.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstring>
#include <fstream>
#include <string>

namespace nnotes::testing {

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(InitProcess(0, nullptr), NOERROR); }

    void TearDown() override { TermProcess(); }

    // Replaces the settings file with text and points NOTES_INI at it.
    void WriteSettings(const std::string& text) { area_.WriteSettingsText(text); }

    // Creates a database in the data directory and opens it.
    DBHANDLE MakeDatabase(const std::string& name) {
        EXPECT_EQ(CreateDatabase(name.c_str(), 0, false, 0, 0, 0), NOERROR);
        DBHANDLE db = 0;
        EXPECT_EQ(OpenDatabase(name.c_str(), &db), NOERROR);
        return db;
    }

    // Stores a new note of class noteClass holding one text item per pair, and gives its id.
    static NOTEID SaveNote(DBHANDLE db, std::initializer_list<std::pair<const char*, const char*>> texts,
                           uint16_t noteClass = NOTE_CLASS_DOCUMENT) {
        NOTEHANDLE note = 0;
        EXPECT_EQ(CreateNote(db, &note), NOERROR);
        EXPECT_EQ(SetNoteInfo(note, NOTE_INFO_CLASS, &noteClass), NOERROR);
        for (const auto& [name, text] : texts)
            EXPECT_EQ(SetItemText(note, name, text, static_cast<uint16_t>(std::strlen(text))), NOERROR);
        EXPECT_EQ(UpdateNote(note, 0), NOERROR);
        NOTEID id = 0;
        EXPECT_EQ(GetNoteInfo(note, NOTE_INFO_ID, &id), NOERROR);
        EXPECT_EQ(CloseNote(note), NOERROR);
        return id;
    }

    // The originator id of a stored note (zeros when it cannot be opened).
    static ORIGINATORID OidOf(DBHANDLE db, NOTEID id) {
        ORIGINATORID oid{};
        NOTEHANDLE note = 0;
        EXPECT_EQ(OpenNote(db, id, 0, &note), NOERROR);
        EXPECT_EQ(GetNoteInfo(note, NOTE_INFO_OID, &oid), NOERROR);
        EXPECT_EQ(CloseNote(note), NOERROR);
        return oid;
    }

    // The text of an item of a stored note ("<missing>" when it cannot be read).
    static std::string TextOf(DBHANDLE db, NOTEID id, const char* name) {
        NOTEHANDLE note = 0;
        if (OpenNote(db, id, 0, &note) != NOERROR) return "<missing>";
        char buf[256];
        const STATUS s = GetItemText(note, name, buf, sizeof buf, nullptr);
        CloseNote(note);
        return s == NOERROR ? buf : "<missing>";
    }

    // What SQLite itself says of the file's structure ("ok" when sound); call with no handle of it open.
    std::string IntegrityOf(const std::string& name) {
        sqlite3* raw = nullptr;
        std::string result = "cannot open";
        if (sqlite3_open_v2((data_ + "/" + name).c_str(), &raw, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
            sqlite3_stmt* q = nullptr;
            sqlite3_prepare_v2(raw, "PRAGMA integrity_check", -1, &q, nullptr);
            result = q != nullptr && sqlite3_step(q) == SQLITE_ROW
                         ? reinterpret_cast<const char*>(sqlite3_column_text(q, 0))
                         : "cannot read";
            sqlite3_finalize(q);
        }
        sqlite3_close(raw);
        return result;
    }

    static std::string ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    testsupport::TestArea area_;
    const std::string root_ = area_.Root();
    const std::string ini_ = area_.SettingsFile();
    const std::string data_ = area_.DataDirectory();
};

} // namespace nnotes::testing
