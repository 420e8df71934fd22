// Document tests run with a started session in a test area, with one open database, "docs.nsf", made through
// the store.
#pragma once

#include "apifixture.h"
#include "ln/lndatabase.h"
#include "ln/lnsession.h"
#include "lntest/session_database_test.h"
#include "nnotes/database.h"
#include "nnotes/idtable.h"
#include "nnotes/memblock.h"
#include "nnotes/note.h"
#include "nnotes/status.h"
#include "testsupport/item_bytes.h"
#include "testsupport/saved_note.h"
#include "testsupport/test_area.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

class DocsTest : public SessionDatabaseTest {
protected:
    DocsTest() : SessionDatabaseTest("docs.nsf") {}

    // Stores a document with one text item per pair and gives its id.
    nnotes::NOTEID SaveNote(std::initializer_list<std::pair<const char*, const char*>> texts,
                            uint16_t noteClass = nnotes::NOTE_CLASS_DOCUMENT) {
        nnotes::NOTEHANDLE note = 0;
        EXPECT_EQ(nnotes::CreateNote(db_.GetHandle(), &note), nnotes::NOERROR);
        EXPECT_EQ(nnotes::SetNoteInfo(note, nnotes::NOTE_INFO_CLASS, &noteClass), nnotes::NOERROR);
        for (const auto& [name, text] : texts)
            EXPECT_EQ(nnotes::SetItemText(note, name, text, static_cast<uint16_t>(std::strlen(text))),
                      nnotes::NOERROR);
        nnotes::NOTEID id = 0;
        EXPECT_EQ(testsupport::SaveAndClose(note, id), nnotes::NOERROR);
        return id;
    }

    // The raw value (type word first) of the first item of name in a stored note; "" when missing.
    std::string StoredValue(nnotes::NOTEID id, const char* name) {
        nnotes::NOTEHANDLE note = 0;
        if (nnotes::OpenNote(db_.GetHandle(), id, 0, &note) != nnotes::NOERROR) return "";
        const auto item = testsupport::ReadItem(note, name);
        nnotes::CloseNote(note);
        return item ? item->value : "";
    }
};
