// Rich-text tests: RichTextTest runs with the store and the object API started in a test area;
// NoteRichTextTest runs a session in a test area with one open database, "rt.nsf". Composite values are built
// in code as byte strings: type word, then CD records.
#pragma once

#include "ln/lnapi.h"
#include "ln/lndatabase.h"
#include "ln/lnerrors.h"
#include "ln/lnrichtext.h"
#include "ln/lnrtcursor.h"
#include "ln/lnrtelement.h"
#include "ln/lnsession.h"
#include "lntest/session_database_test.h"
#include "lntest/started_api_test.h"
#include "nnotes/database.h"
#include "nnotes/idtable.h"
#include "nnotes/memblock.h"
#include "nnotes/note.h"
#include "nnotes/process.h"
#include "nnotes/status.h"
#include "testsupport/item_bytes.h"
#include "testsupport/saved_note.h"
#include "testsupport/test_area.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

// The store and the object API started for each test.
using RichTextTest = StartedApiTest;

class NoteRichTextTest : public SessionDatabaseTest {
protected:
    NoteRichTextTest() : SessionDatabaseTest("rt.nsf") {}

    // Stores a document of the given composite items (name, value after the type word), in order.
    nnotes::NOTEID SaveItems(const std::vector<std::pair<const char*, std::string>>& items) {
        nnotes::NOTEHANDLE note = 0;
        EXPECT_EQ(nnotes::CreateNote(db_.GetHandle(), &note), nnotes::NOERROR);
        for (const auto& [name, value] : items)
            EXPECT_EQ(nnotes::AppendItem(note, 0, name, static_cast<uint16_t>(std::strlen(name)),
                                         nnotes::TYPE_COMPOSITE, value.data(),
                                         static_cast<uint32_t>(value.size()), nullptr),
                      nnotes::NOERROR);
        nnotes::NOTEID id = 0;
        EXPECT_EQ(testsupport::SaveAndClose(note, id), nnotes::NOERROR);
        return id;
    }

    // Stores a document whose items named name hold the given composite values (each after its type word).
    nnotes::NOTEID SaveComposite(const char* name, std::initializer_list<std::string> values) {
        std::vector<std::pair<const char*, std::string>> items;
        for (const std::string& value : values)
            items.emplace_back(name, value);
        return SaveItems(items);
    }

    // The raw values (type word first) of every item of name in a stored note, in item order.
    std::vector<std::string> StoredValues(nnotes::NOTEID id, const char* name) {
        std::vector<std::string> values;
        nnotes::NOTEHANDLE note = 0;
        if (nnotes::OpenNote(db_.GetHandle(), id, 0, &note) != nnotes::NOERROR) return values;
        for (const testsupport::ItemBytes& item : testsupport::ReadItems(note, name))
            values.push_back(item.value);
        nnotes::CloseNote(note);
        return values;
    }
};

// A cursor of its own, steps cursors on from start.
inline LNRTCursor Ahead(const LNRTCursor& start, uint32_t steps) {
    LNRTCursor cursor;
    cursor.SetPosition(start);
    cursor += steps;
    return cursor;
}

// Little-endian helpers for building records.
inline std::string Word(uint16_t value) {
    return std::string{static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}
inline std::string Dword(uint32_t value) {
    return Word(static_cast<uint16_t>(value)) + Word(static_cast<uint16_t>(value >> 16));
}
// A text record (padded to even) holding text in font fontId.
inline std::string TextRecord(const std::string& text, uint32_t fontId = 0x0A000001) {
    std::string record = Word(0xFF85) + Word(static_cast<uint16_t>(8 + text.size())) + Dword(fontId) + text;
    if (record.size() % 2) record.push_back('\0');
    return record;
}
// A byte-form paragraph record.
inline std::string Paragraph() {
    return Word(0x0281);
}
// A word-form record of signature and total length (zero filled).
// The whole text of a rich text, as the tests compare it.
inline std::string TextOf(const LNRichText& richText) {
    LNString text;
    EXPECT_EQ(richText.GetText(&text), 0u);
    return std::string(reinterpret_cast<const char*>(text.GetTextPtr()), text.GetByteLength());
}

// A paragraph record as an object of its own.
inline LNRTObject ParagraphRecord() {
    LNCompositeData data;
    const std::string bytes = Paragraph();
    EXPECT_EQ(data.WriteData(static_cast<uint32_t>(bytes.size()), bytes.data(), 0), 0u);
    return data;
}

inline std::string WordRecord(uint16_t signature, uint16_t length) {
    std::string record = Word(signature) + Word(length);
    record.resize((length + 1u) & ~1u, '\0');
    return record;
}
