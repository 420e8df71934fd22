// Entries: column values from the summary, constants and formulas, the empty values of category, document
// and response rows, statistics, and the documents behind entries.
#include "ln/lnnumbers.h"
#include "lnviewfolderfixture.h"
#include "nnotes/collection.h"
#include "nnotes/database.h"
#include "nnotes/note.h"

namespace {

TEST_F(ViewsTest, CategoryAndDocumentRowsShowTheirOwnColumns) {
    LNViewFolder view = OpenView("By Region");
    LNVFEntry entry;
    ASSERT_EQ(view.Goto(LNVFNAVIGATION_FIRST, &entry), 0u);
    ASSERT_TRUE(entry.IsCategory());
    EXPECT_EQ(ColumnText(entry, 0), "A");
    for (uint32_t column = 1; column < 4; ++column)
        EXPECT_TRUE(entry[column].IsNull()) << "category row, column " << column;
    ASSERT_EQ(view.Goto(LNVFNAVIGATION_NEXT, &entry), 0u);
    EXPECT_TRUE(entry.IsMainDocument());
    EXPECT_TRUE(entry[0].IsNull()) << "a document row leaves the categorising column empty";
    EXPECT_EQ(ColumnText(entry, 1), "Ann");
    EXPECT_EQ(ColumnText(entry, 2), "Ann of A") << "a formula column's value comes from the summary";
    EXPECT_EQ(ColumnText(entry, 3), "Contact") << "a constant column";
    EXPECT_EQ(Thrown([&] { entry[4]; }), LNERR_OUT_OF_RANGE);
    LNItem byTitle;
    entry.GetColumnValueByTitle(&byTitle, "Label");
    EXPECT_EQ(Text(LNText(byTitle)[0].GetText()), "Ann of A");
    EXPECT_EQ(Thrown([&] { entry.GetColumnValueByTitle(&byTitle, "label"); }), LNERR_NO_MATCH);
    EXPECT_EQ(Thrown([&] { entry.GetColumnValueByTitle(&byTitle, ""); }), LNERR_NULL_STRING);
}

TEST_F(ViewsTest, NumbersAndHiddenColumns) {
    LNViewFolder view = OpenView("Flat");
    const LNVFEntry entry = view[0];
    LNNumbers age = entry[1];
    ASSERT_EQ(age.GetCount(), 1u);
    EXPECT_EQ(age[0], 30.0);
    EXPECT_EQ(Thrown([&] { LNText text = entry[1]; }), LNERR_CONVERSION);
    EXPECT_TRUE(entry[2].IsNull()) << "hidden columns give nothing";
}

TEST_F(ViewsTest, TotalRowSumsAndHasNoDocument) {
    LNViewFolder view = OpenView("Totals");
    LNVFEntry entry;
    ASSERT_EQ(view.Goto(LNVFNAVIGATION_LAST, &entry), 0u);
    ASSERT_TRUE(entry.IsTotal());
    LNNumbers sum = entry[1];
    EXPECT_EQ(sum[0], 120.0);
    LNDocument document;
    EXPECT_EQ(entry.GetDocument(&document), LNERR_CATEGORY_DOCUMENT);
    EXPECT_TRUE(document.IsNull());
}

TEST_F(ViewsTest, DocumentsBehindEntries) {
    LNViewFolder view = OpenView("By Region");
    LNVFEntry category = view[0];
    LNDocument document;
    EXPECT_EQ(category.GetDocument(&document), LNERR_CATEGORY_DOCUMENT);
    EXPECT_EQ(category.GetDocument(nullptr), LNERR_NULL_POINTER);
    LNVFEntry entry = view[2];
    ASSERT_EQ(entry.GetDocument(&document), 0u);
    EXPECT_EQ(document.GetNoteID(), entry.GetNoteID());
    ASSERT_EQ(document.Open(0), 0u);
    LNText name;
    ASSERT_EQ(document.GetItem("Name", &name), 0u);
    EXPECT_EQ(Text(name[0].GetText()), "Bob");
    document.Close();
    LNViewFolder parent;
    ASSERT_EQ(entry.GetViewFolder(&parent), 0u);
    EXPECT_EQ(Text(parent.GetName()), "By Region");
}

TEST_F(ViewsTest, StatisticsOfEntries) {
    LNViewFolder view = OpenView("By Region");
    LNVFEntry a = view[0];
    EXPECT_EQ(a.GetChildCount(), 2u);
    EXPECT_EQ(a.GetDescendantCount(), 2u);
    EXPECT_EQ(a.GetSiblingCount(), 2u);
    LNVFEntry ann = view[1];
    EXPECT_EQ(ann.GetChildCount(), 0u);
    EXPECT_EQ(ann.GetSiblingCount(), 2u);
    LNViewFolder threads = OpenView("Threads");
    LNVFEntry budget = threads[0];
    EXPECT_EQ(budget.GetChildCount(), 1u);
    EXPECT_EQ(budget.GetDescendantCount(), 2u);
}

TEST_F(ViewsTest, ConstantsWithSpecialValuesAreFilledIn) {
    LNViewFolder view = OpenView("Special");
    EXPECT_EQ(ColumnText(view[1], 1), "2 in Special");
}

TEST_F(ViewsTest, ColumnsOutsideTheSummaryAreComputedWithoutADocument) {
    const std::vector<RawColumn> columns = {{nnotes::VIEW_COLUMN_SORT, "Name", "Name", "", ""},
                                            {0, "", "Fixed", "\"to\" + \"gether\"", ""},
                                            {0, "", "Needs", "Name + \"!\"", ""},
                                            {0, "", "Nothing", "", ""}};
    LNViewFolder view(db_.GetDatabaseBody(), WriteView("Computed", Format(columns)));
    ASSERT_EQ(view.Open(0), 0u);
    // The two replies have no name and sort first.
    const LNVFEntry entry = view[2];
    EXPECT_EQ(ColumnText(entry, 0), "Ann");
    EXPECT_EQ(ColumnText(entry, 1), "together");
    EXPECT_EQ(Thrown([&] { entry[2]; }), LNERR_COLUMN_FORMULA);
    EXPECT_TRUE(entry[3].IsNull());
    LNSetThrowAllErrors(true);
    EXPECT_EQ(Thrown([&] { entry[2]; }), LNERR_COLUMN_FORMULA);
    LNSetThrowAllErrors(false);
}

TEST_F(ViewsTest, NavigatorKeepsItsViewAlive) {
    LNVFNavigator navigator;
    LNVFEntry entry;
    {
        LNViewFolder view = OpenView("By Region");
        ASSERT_EQ(view.GetEntries(&navigator), 0u);
    }
    ASSERT_EQ(navigator.Goto(LNVFNAVIGATION_FIRST, &entry), 0u);
    ASSERT_EQ(navigator.Goto(LNVFNAVIGATION_NEXT, &entry), 0u);
    EXPECT_EQ(ColumnText(entry, 1), "Ann");
    navigator = LNVFNavigator();
    EXPECT_EQ(ColumnText(entry, 2), "Ann of A") << "the entry holds its navigator and view";
    entry = LNVFEntry();
}

TEST_F(ViewsTest, EntriesOutliveTheirNavigator) {
    LNVFEntry entry;
    {
        LNViewFolder view = OpenView("Flat");
        LNVFNavigator navigator;
        ASSERT_EQ(view.GetEntries(&navigator), 0u);
        ASSERT_EQ(navigator.Goto(LNVFNAVIGATION_FIRST, &entry), 0u);
        EXPECT_EQ(ColumnText(entry, 0), "Ann");
        view.Close();
    }
    EXPECT_NE(entry.GetNoteID(), 0u);
    EXPECT_EQ(Thrown([&] { entry[0]; }), LNERR_NO_COLLECTION);
    EXPECT_EQ(Thrown([&] { entry.GetChildCount(); }), LNERR_NO_COLLECTION);
}

} // namespace

namespace {

// Every entry of every view: the texts read for all columns at once are those read column by column, and
// those of the item each column gives, whatever their characters; the rest is left to the items.
TEST_F(ViewsTest, SummaryTextsOfAWholeRowAreThoseOfEachColumnsItem) {
    ASSERT_EQ(area_.Build(R"({"path": "texts.nsf", "views": [{"name": "Texts", "columns": [
        {"title": "Key", "item": "Key", "sorted": true, "categorised": true}, {"title": "Name", "item": "Name"},
        {"title": "Tags", "item": "Tags"}, {"title": "Age", "item": "Age"}, {"title": "Fixed", "constant": "k"},
        {"title": "Blank", "item": "Blank"}]}],
      "documents": [{"Key": "\u00c5", "Name": "Zo\u00eb \u4e2d", "Tags": ["b\u00e8"], "Age": 3, "Blank": ""},
                    {"Key": "a", "Name": "one\ntwo\u0001", "Tags": [], "Age": 4},
                    {"Key": "a", "Name": "plain", "Tags": ["x", "y"]}]})"),
              "");
    LNDatabase texts;
    ASSERT_EQ(session_.GetDatabase("texts.nsf", &texts), 0u);
    ASSERT_EQ(texts.Open(), 0u);
    for (const auto& [db, name] :
         {std::pair{texts, "Texts"}, {db_, "By Region"}, {db_, "Flat"}, {db_, "Threads"}, {db_, "Totals"}}) {
        LNDatabase database = db;
        LNViewFolder view;
        ASSERT_EQ(database.GetViewFolder(name, &view), 0u);
        ASSERT_EQ(view.Open(0), 0u);
        const uint32_t columns = view.GetColumnCount();
        LNVFEntry entry;
        size_t plainSeen = 0;
        for (LNSTATUS moved = view.Goto(LNVFNAVIGATION_FIRST, &entry); moved == 0;
             moved = view.Goto(LNVFNAVIGATION_NEXT, &entry)) {
            LNVFEntryBody* body = entry.GetVFEntryBody();
            entry[0]; // maps the summary, as a walk's first row does
            std::vector<std::string> all(columns, "left");
            std::vector<uint8_t> plain(columns, 7);
            body->GetSummaryTexts(all, plain);
            for (uint32_t column = 0; column < columns; ++column) {
                std::string one;
                const bool oneByOne = body->GetSummaryText(column, &one);
                EXPECT_EQ(plain[column] != 0, oneByOne) << name << " column " << column;
                if (!oneByOne) {
                    EXPECT_EQ(all[column], "left") << name << " column " << column;
                    continue;
                }
                ++plainSeen;
                EXPECT_EQ(all[column], one) << name << " column " << column;
                const LNItem value = entry[column];
                EXPECT_EQ(all[column], value.IsNull() ? "" : ColumnText(entry, column))
                    << name << " column " << column;
            }
        }
        EXPECT_GT(plainSeen, 0u) << name;
    }
}

// Texts longer than a word, with a line end or a character outside ASCII at every place in them: a row's
// texts read at once are the documents' texts, whichever byte the plain copy stops at.
TEST_F(ViewsTest, SummaryTextsKeepLineEndsAndCharactersAtEveryPlace) {
    std::vector<std::string> names;
    for (const char* odd : {"\n", "\u00e9", "\u4e2d"})
        for (size_t at = 0; at <= 19; ++at)
            names.push_back(std::string(at, 'a') + odd + std::string(19 - at, 'b'));
    names.push_back(std::string(24, 'c'));
    names.push_back("short");
    std::string documents;
    for (size_t i = 0; i < names.size(); ++i) {
        std::string name = names[i];
        if (const size_t at = name.find('\n'); at != std::string::npos) name.replace(at, 1, "\\n");
        documents += std::string(i ? ", " : "") + "{\"Key\": \"k" + std::to_string(100 + i) +
                     "\", \"Name\": \"" + name + "\"}";
    }
    ASSERT_EQ(area_.Build(R"({"path": "places.nsf", "views": [{"name": "Places", "columns": [
        {"title": "Key", "item": "Key", "sorted": true}, {"title": "Name", "item": "Name"}]}],
      "documents": [)" + documents +
                          "]}"),
              "");
    LNDatabase places;
    ASSERT_EQ(session_.GetDatabase("places.nsf", &places), 0u);
    ASSERT_EQ(places.Open(), 0u);
    LNViewFolder view;
    ASSERT_EQ(places.GetViewFolder("Places", &view), 0u);
    ASSERT_EQ(view.Open(0), 0u);
    LNVFEntry entry;
    size_t row = 0;
    for (LNSTATUS moved = view.Goto(LNVFNAVIGATION_FIRST, &entry); moved == 0;
         moved = view.Goto(LNVFNAVIGATION_NEXT, &entry), ++row) {
        ASSERT_LT(row, names.size());
        entry[0]; // maps the summary, as a walk's first row does
        std::vector<std::string> all(2);
        std::vector<uint8_t> plain(2);
        entry.GetVFEntryBody()->GetSummaryTexts(all, plain);
        ASSERT_EQ(plain[1], 1) << row;
        EXPECT_EQ(all[1], names[row]) << row;
        EXPECT_EQ(all[1], ColumnText(entry, 1)) << row;
    }
    EXPECT_EQ(row, names.size());
}

// A summary text of ill-formed bytes grows to three times its size as platform text, past what a string of
// the object layer holds: a row's texts read at once take it whole all the same.
TEST_F(ViewsTest, SummaryTextsLongerThanAStringAreReadWhole) {
    ASSERT_EQ(area_.Build(R"({"path": "long.nsf", "views": [{"name": "Long", "columns": [
        {"title": "Key", "item": "Key", "sorted": true}, {"title": "Name", "item": "Name"}]}],
      "documents": []})"),
              "");
    const std::string name = std::string(25000, '\xFF') + "end";
    nnotes::DBHANDLE db = 0;
    ASSERT_EQ(nnotes::OpenDatabase("long.nsf", &db), nnotes::NOERROR);
    nnotes::NOTEHANDLE note = 0;
    ASSERT_EQ(nnotes::CreateNote(db, &note), nnotes::NOERROR);
    ASSERT_EQ(nnotes::AppendItem(note, nnotes::ITEM_SUMMARY, "Key", 3, nnotes::TYPE_TEXT, "k", 1, nullptr),
              nnotes::NOERROR);
    ASSERT_EQ(nnotes::AppendItem(note, nnotes::ITEM_SUMMARY, "Name", 4, nnotes::TYPE_TEXT, name.data(),
                                 static_cast<uint32_t>(name.size()), nullptr),
              nnotes::NOERROR);
    ASSERT_EQ(nnotes::UpdateNote(note, 0), nnotes::NOERROR);
    nnotes::CloseNote(note);
    nnotes::CloseDatabase(db);

    LNDatabase database;
    ASSERT_EQ(session_.GetDatabase("long.nsf", &database), 0u);
    ASSERT_EQ(database.Open(), 0u);
    LNViewFolder view;
    ASSERT_EQ(database.GetViewFolder("Long", &view), 0u);
    ASSERT_EQ(view.Open(0), 0u);
    LNVFEntry entry;
    ASSERT_EQ(view.Goto(LNVFNAVIGATION_FIRST, &entry), 0u);
    entry[0]; // maps the summary, as a walk's first row does
    std::vector<std::string> all(2);
    std::vector<uint8_t> plain(2);
    entry.GetVFEntryBody()->GetSummaryTexts(all, plain);
    ASSERT_EQ(plain[1], 1);
    std::string expected;
    for (int i = 0; i < 25000; ++i)
        expected += "\xEF\xBF\xBD";
    EXPECT_TRUE(all[1] == expected + "end") << all[1].size();
    EXPECT_EQ(all[0], "k");
}

// The note id GetDocument opens, read from the entry alone: none for categories, totals and entries of a
// closed view.
TEST_F(ViewsTest, DocumentNoteIDsAreThoseOfTheDocumentsBehindEntries) {
    for (const char* name : {"By Region", "Totals", "Threads"}) {
        LNViewFolder view = OpenView(name);
        LNVFEntry entry;
        for (LNSTATUS moved = view.Goto(LNVFNAVIGATION_FIRST, &entry); moved == 0;
             moved = view.Goto(LNVFNAVIGATION_NEXT, &entry)) {
            LNDocument document;
            const LNSTATUS status = entry.GetDocument(&document);
            EXPECT_EQ(entry.GetVFEntryBody()->GetDocumentNoteID(), status == 0 ? document.GetNoteID() : 0u)
                << name;
            EXPECT_EQ(status != 0, entry.IsCategory() || entry.IsTotal()) << name;
        }
        ASSERT_EQ(view.Goto(LNVFNAVIGATION_LAST, &entry), 0u);
        view.Close();
        EXPECT_EQ(entry.GetVFEntryBody()->GetDocumentNoteID(), 0u) << name;
    }
}

} // namespace
