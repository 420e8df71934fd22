// View tests run with a started session over a test area whose database "views.nsf" is built from a JSON
// description: a categorised view, a flat one, one with responses, one with totals, an empty one and one
// whose constant column holds special values. Views with designs of their own are written through the store.
#pragma once

#include "apifixture.h"
#include "ln/lnsession.h"
#include "ln/lntext.h"
#include "ln/lnvfentry.h"
#include "ln/lnviewfolder.h"
#include "nnotes/formula.h"
#include "nnotes/memblock.h"
#include "nsfadmin/nsfadmin.h"
#include "testsupport/saved_note.h"
#include "testsupport/test_area.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

inline constexpr const char* kViewsDatabase = R"({
  "path": "views.nsf", "title": "Views Test",
  "views": [
    { "name": "By Region", "alias": "ByRegion", "selection": "SELECT Form = \"Contact\"",
      "columns": [ { "title": "Region", "item": "Region", "sorted": true, "categorised": true },
                   { "title": "Name", "item": "Name", "sorted": true },
                   { "title": "Label", "formula": "Name + \" of \" + Region" },
                   { "title": "Kind", "constant": "Contact" } ] },
    { "name": "Flat", "selection": "SELECT Form = \"Contact\"",
      "columns": [ { "title": "Name", "item": "Name", "sorted": true },
                   { "title": "Age", "item": "Age" },
                   { "title": "Secret", "item": "Region", "hidden": true } ] },
    { "name": "Threads",
      "columns": [ { "title": "Subject", "item": "Subject", "sorted": true },
                   { "title": "Reply", "item": "Reply", "response": true },
                   { "title": "After", "item": "Name" } ] },
    { "name": "Totals", "selection": "SELECT Form = \"Contact\"",
      "columns": [ { "title": "Name", "item": "Name", "sorted": true },
                   { "title": "Age", "item": "Age", "totals": true } ] },
    { "name": "Empty", "selection": "SELECT Form = \"Nothing\"", "columns": [ { "title": "Name", "item": "Name" } ] },
    { "name": "Special", "selection": "SELECT Form = \"Contact\"",
      "columns": [ { "title": "Name", "item": "Name", "sorted": true },
                   { "title": "Where", "constant": "\u007fP in \u007fV" } ] }
  ],
  "documents": [
    { "Form": "Contact", "Name": "Bob", "Region": "A", "Age": 40, "Subject": "Budget" },
    { "Form": "Contact", "Name": "Ann", "Region": "A", "Age": 30, "Subject": "Travel" },
    { "Form": "Contact", "Name": "Cid", "Region": "B", "Age": 50, "Subject": "Zoo" },
    { "Form": "Reply", "Reply": "Agreed", "$Parent": 0 },
    { "Form": "Reply", "Reply": "Not so fast", "$Parent": 3 }
  ]
})";

// One column of a view design written directly.
struct RawColumn {
    uint16_t flags;
    std::string item, title, formula, constant;
};

class ViewsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(area_.Build(kViewsDatabase), "");
        ASSERT_EQ(session_.Init(), 0u);
        ASSERT_EQ(session_.GetDatabase("views.nsf", &db_), 0u);
        ASSERT_EQ(db_.Open(), 0u);
    }

    void TearDown() override {
        LNSetThrowAllErrors(false);
        db_ = LNDatabase();
        session_.Term();
    }

    // Opens a view of views.nsf by name.
    LNViewFolder OpenView(const char* name) {
        LNViewFolder view;
        EXPECT_EQ(db_.GetViewFolder(name, &view), 0u) << name;
        EXPECT_EQ(view.Open(0), 0u) << name;
        return view;
    }

    // Writes a view note with this title and "$ViewFormat" value (after its type word); gives its id.
    nnotes::NOTEID WriteView(const std::string& title, const std::string& format) {
        nnotes::NOTEHANDLE note = 0;
        EXPECT_EQ(nnotes::CreateNote(db_.GetHandle(), &note), nnotes::NOERROR);
        const uint16_t noteClass = nnotes::NOTE_CLASS_VIEW;
        EXPECT_EQ(nnotes::SetNoteInfo(note, nnotes::NOTE_INFO_CLASS, &noteClass), nnotes::NOERROR);
        EXPECT_EQ(nnotes::SetItemText(note, "$TITLE", title.data(), static_cast<uint16_t>(title.size())),
                  nnotes::NOERROR);
        EXPECT_EQ(nnotes::AppendItem(note, 0, "$ViewFormat", 11, nnotes::TYPE_VIEW_FORMAT, format.data(),
                                     static_cast<uint32_t>(format.size()), nullptr),
                  nnotes::NOERROR);
        nnotes::NOTEID id = 0;
        EXPECT_EQ(testsupport::SaveAndClose(note, id), nnotes::NOERROR);
        return id;
    }

    // A "$ViewFormat" value of the columns (formulas given as text are compiled).
    static std::string Format(const std::vector<RawColumn>& columns, uint8_t version = 1) {
        nnotes::ODSViewTableFormat header{};
        header.Version = version;
        header.Columns = static_cast<uint16_t>(columns.size());
        std::string out(nnotes::ODSLength(nnotes::ODS_VIEW_TABLE_FORMAT), '\0');
        void* at = out.data();
        nnotes::WriteOnDiskStructure(&at, out.size(), nnotes::ODS_VIEW_TABLE_FORMAT, &header, 1);
        std::string variable;
        for (const RawColumn& c : columns) {
            const std::string formula = Compiled(c.formula);
            nnotes::ODSViewColumnFormat record{};
            record.Flags = c.flags;
            record.ItemNameSize = static_cast<uint16_t>(c.item.size());
            record.TitleSize = static_cast<uint16_t>(c.title.size());
            record.FormulaSize = static_cast<uint16_t>(formula.size());
            record.ConstantValueSize = static_cast<uint16_t>(c.constant.size());
            std::string bytes(nnotes::ODSLength(nnotes::ODS_VIEW_COLUMN_FORMAT), '\0');
            void* to = bytes.data();
            nnotes::WriteOnDiskStructure(&to, bytes.size(), nnotes::ODS_VIEW_COLUMN_FORMAT, &record, 1);
            out += bytes;
            variable += c.item + c.title + formula + c.constant;
        }
        return out + variable;
    }

    static std::string Compiled(const std::string& text) {
        if (text.empty()) return "";
        nnotes::DHANDLE block = 0;
        uint16_t length = 0;
        EXPECT_EQ(nnotes::CompileFormula(text.data(), static_cast<uint16_t>(text.size()), &block, &length),
                  nnotes::NOERROR);
        const char* bytes = static_cast<const char*>(nnotes::LockBlock(block));
        std::string compiled(bytes, length);
        nnotes::UnlockBlock(block);
        nnotes::FreeBlock(block);
        return compiled;
    }

public:
    // The first text of a column value; "" when it holds none.
    static std::string ColumnTextOf(const LNVFEntry& entry, uint32_t column) {
        return ColumnText(entry, column);
    }
    static std::string ColumnText(const LNVFEntry& entry, uint32_t column) {
        LNText text = entry[column];
        return text.GetCount() == 0 ? "" : Text(text[0].GetText());
    }

protected:
    testsupport::TestArea area_;
    LNNotesSession session_;
    LNDatabase db_;
};
