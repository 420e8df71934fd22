// Opening a data source and walking its rows: categories passed on, column values, headers and note ids.
#include "libfixture.h"
#include "nsfadmin/nsfadmin.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <vector>

namespace qvltest {
namespace {

using RowWalkTest = LibraryTest;

TEST_F(RowWalkTest, DSOpenGivesTheColumnCountOrMinusOne) {
    OpenStandard();
    EXPECT_EQ(DSOpen("Ages"), 2);
    EXPECT_EQ(DSOpen("Contacts"), 3);
    EXPECT_EQ(DSOpen("contacts"), -1);
    EXPECT_EQ(DSOpen(nullptr), -1);
    EXPECT_EQ(DSOpen("Missing Database"), -1);
    EXPECT_EQ(DSOpen("Missing View"), -1);
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(RowWalkTest, AFailedDSOpenLeavesTheOpenDataSourceAsItWas) {
    OpenStandard();
    ASSERT_EQ(DSOpen("Everyone"), 3);
    ASSERT_EQ(GotoNext(), 1);
    EXPECT_EQ(DSOpen("Unknown"), -1);
    EXPECT_EQ(DSOpen("Missing View"), -1);
    EXPECT_EQ(DSOpen("Missing Database"), -1);
    EXPECT_EQ(Row(3), "Marsh|Bob|North");
    char text[256];
    ASSERT_EQ(DSGetInfo(1, text, sizeof text), 1);
    EXPECT_EQ(Header(0), "Last Name");
    EXPECT_EQ(GotoNext(), 1);
    EXPECT_EQ(Row(3), "Noor|Cid|South");
}

TEST_F(RowWalkTest, ACategorisedWalkGivesDocumentRowsWithTheirCategoryInColumnZero) {
    OpenStandard();
    ASSERT_EQ(DSOpen("Contacts"), 3);
    EXPECT_EQ(IsCategorised(), -1);
    EXPECT_EQ(Header(0), "Region");
    EXPECT_EQ(Header(1), "Last Name");
    EXPECT_EQ(Header(2), "First Name");

    // DSOpen has read the first row already.
    EXPECT_EQ(Row(3), "North|Lee|Ann");
    EXPECT_NE(GetNoteID(), 0);
    ASSERT_EQ(GotoNext(), 1);
    EXPECT_EQ(Row(3), "North|Marsh|Bob");
    const int marsh = GetNoteID();
    ASSERT_EQ(GotoNext(), 1);
    EXPECT_EQ(Row(3), "South|Noor|Cid");
    EXPECT_NE(GetNoteID(), marsh);
    EXPECT_EQ(GotoNext(), 0);
    EXPECT_EQ(LastErrorText(), "");

    ASSERT_EQ(GotoFirst(), 1);
    EXPECT_EQ(Row(3), "North|Lee|Ann");
    ASSERT_EQ(GotoNextCategory(), 1);
    EXPECT_EQ(Row(3), "South|Noor|Cid");
    EXPECT_EQ(GotoNextCategory(), 0);
}

TEST_F(RowWalkTest, AFlatViewGivesItsRowsAsTheyAre) {
    OpenStandard();
    ASSERT_EQ(DSOpen("Everyone"), 3);
    EXPECT_EQ(IsCategorised(), 0);
    EXPECT_EQ(Row(3), "Lee|Ann|North");
    ASSERT_EQ(GotoNext(), 1);
    EXPECT_EQ(Row(3), "Marsh|Bob|North");
    ASSERT_EQ(GotoNext(), 1);
    ASSERT_EQ(GotoNext(), 0);
}

TEST_F(RowWalkTest, CategoryReadersStepThroughTheCategoriesOfTheWalksNavigator) {
    OpenStandard();
    ASSERT_EQ(DSOpen("Contacts"), 3);
    char category[256];
    ASSERT_EQ(CategoryGetFirst(category, sizeof category), -1);
    EXPECT_STREQ(category, "North");
    EXPECT_EQ(GetNoteID(), 0); // a category row has no document
    ASSERT_EQ(CategoryGetNext(category, sizeof category), -1);
    EXPECT_STREQ(category, "South");
    EXPECT_EQ(CategoryGetNext(category, sizeof category), 0);

    // The walk starts again at the first row.
    ASSERT_EQ(GotoFirst(), 1);
    EXPECT_EQ(Row(3), "North|Lee|Ann");
    char small[3];
    ASSERT_EQ(CategoryGetFirst(small, sizeof small), -1);
    EXPECT_STREQ(small, "No");
}

// A view categorised by region and then by district: the district rows are categories too (column 0 empty,
// column 1 set), and so is a district without a name under a region that has one.
TEST_F(RowWalkTest, ATwoLevelViewGivesItsDocumentsOnlyEachWithItsRegion) {
    Build(DataSourceDatabase(kServer, DataSource("Districts", "districts.nsf", "By District")));
    Build(R"({"path": "districts.nsf", "views": [{"name": "By District", "columns": [
        {"title": "Region", "item": "Region", "sorted": true, "categorised": true},
        {"title": "District", "item": "District", "sorted": true, "categorised": true},
        {"title": "Name", "item": "Name", "sorted": true}]}],
      "documents": [{"Region": "North", "District": "Leeds", "Name": "Ann"},
                    {"Region": "North", "District": "Leeds", "Name": "Bo"},
                    {"Region": "North", "District": "York", "Name": "Cy"},
                    {"Region": "South", "District": "Bath", "Name": "Di"},
                    {"Region": "", "District": "Ely", "Name": "Ed"},
                    {"Region": "South", "District": "", "Name": "Fay"}]})");
    UseServer(kServer);
    ASSERT_EQ(LibOpen(), 1) << LastErrorText();
    ASSERT_EQ(DSOpen("Districts"), 3);

    std::vector<std::string> rows;
    for (int more = GotoFirst(); more; more = GotoNext()) {
        EXPECT_NE(GetNoteID(), 0) << Row(3);
        rows.push_back(Row(3));
    }
    EXPECT_EQ(rows, (std::vector<std::string>{"||Ed", "North||Ann", "North||Bo", "North||Cy", "South||Fay",
                                              "South||Di"}));

    // The next category may be a district: the walk goes on to its documents, still in their region.
    ASSERT_EQ(GotoFirst(), 1);
    ASSERT_EQ(GotoNext(), 1);
    ASSERT_EQ(GotoNextCategory(), 1);
    EXPECT_EQ(Row(3), "North||Cy");
    ASSERT_EQ(GotoNextCategory(), 1);
    EXPECT_EQ(Row(3), "South||Fay");

    // The categories offered are the regions.
    std::vector<std::string> categories;
    char category[256];
    for (int more = CategoryGetFirst(category, sizeof category); more;
         more = CategoryGetNext(category, sizeof category)) {
        categories.push_back(category);
    }
    EXPECT_EQ(categories, (std::vector<std::string>{"", "North", "South"}));
}

// A search over a view of many rows in two category levels: each hit's row is the row the whole walk gives
// its document (with no category passed before it), once, and every hit is there.
TEST_F(RowWalkTest, SearchRowsAreTheRowsOfTheWholeWalk) {
    Build(DataSourceDatabase(kServer, DataSource("Many", "many.nsf", "By District")));
    std::string json = R"({"path": "many.nsf", "views": [{"name": "By District", "columns": [
        {"title": "Region", "item": "Region", "sorted": true, "categorised": true},
        {"title": "District", "item": "District", "sorted": true, "categorised": true},
        {"title": "Name", "item": "Name", "sorted": true}, {"title": "Tag", "item": "Tag"}]}],
      "documents": [)";
    for (int i = 0; i < 600; ++i) {
        char document[160];
        std::snprintf(document, sizeof document,
                      R"(%s{"Region": "r%d", "District": "d%d", "Name": "n%04d", "Tag": "%s"})", i ? "," : "",
                      i % 5, i % 3, (i * 37) % 600, i % 97 == 0 ? "alpha" : "beta");
        json += document;
    }
    Build(json + "]}");
    ASSERT_EQ(nsfadmin::Index("many.nsf", ""), "");
    UseServer(kServer);
    ASSERT_EQ(LibOpen(), 1) << LastErrorText();
    ASSERT_EQ(DSOpen("Many"), 4);
    std::map<int, std::string> whole; // note id -> the row without its category
    for (int more = GotoFirst(); more; more = GotoNext())
        whole[GetNoteID()] = Row(4).substr(Row(4).find('|'));
    ASSERT_EQ(whole.size(), 600u);

    for (const char* query : {"alpha", "n0333", "beta AND n0*"}) {
        std::set<int> seen;
        for (int more = Search(query); more; more = GotoNext()) {
            const int id = GetNoteID();
            ASSERT_EQ(whole.count(id), 1u) << query;
            EXPECT_EQ(Row(4), whole[id]) << query;
            EXPECT_TRUE(seen.insert(id).second) << query << ": note " << id << " twice";
        }
        const auto expected = std::count_if(whole.begin(), whole.end(), [&](const auto& row) {
            const std::string& r = row.second;
            if (std::string(query) == "alpha") return r.ends_with("|alpha");
            if (std::string(query) == "n0333") return r.find("|n0333|") != std::string::npos;
            return r.ends_with("|beta") && r.find("|n0") != std::string::npos;
        });
        // The default search options show the best 250.
        EXPECT_EQ(seen.size(), std::min<size_t>(expected, 250)) << query;
    }
}

// The grand total of a view with a totals column is an entry of no document, categorised or not.
TEST_F(RowWalkTest, TheGrandTotalIsNoRow) {
    Build(DataSourceDatabase(kServer, DataSource("Totals by Region", "totals.nsf", "By Region") + "," +
                                          DataSource("Totals", "totals.nsf", "All")));
    Build(R"({"path": "totals.nsf", "views": [
        {"name": "By Region", "columns": [
            {"title": "Region", "item": "Region", "sorted": true, "categorised": true},
            {"title": "Name", "item": "Name", "sorted": true}, {"title": "Age", "item": "Age", "totals": true}]},
        {"name": "All", "columns": [
            {"title": "Name", "item": "Name", "sorted": true}, {"title": "Age", "item": "Age", "totals": true}]}],
      "documents": [{"Region": "North", "Name": "Ann", "Age": 3}, {"Region": "South", "Name": "Di", "Age": 4}]})");
    UseServer(kServer);
    ASSERT_EQ(LibOpen(), 1) << LastErrorText();
    for (const char* source : {"Totals by Region", "Totals"}) {
        ASSERT_GT(DSOpen(source), 0) << source;
        std::vector<int> noteIds;
        for (int more = GotoFirst(); more; more = GotoNext())
            noteIds.push_back(GetNoteID());
        EXPECT_EQ(noteIds.size(), 2u) << source;
        EXPECT_EQ(std::count(noteIds.begin(), noteIds.end(), 0), 0) << source;
    }
}

TEST_F(RowWalkTest, NumberAndDateColumnsReadAsTextBesideTheOtherColumns) {
    OpenWithValues();
    ASSERT_EQ(DSOpen("Ages"), 2);
    EXPECT_EQ(Row(2), "Lee|41");
    ASSERT_EQ(GotoNext(), 1);
    EXPECT_EQ(Row(2), "Marsh|52");

    ASSERT_EQ(DSOpen("Values"), 5);
    EXPECT_EQ(Row(5), "Ann|3.5|-2.25|03/01/2019 09:00:00 AM|12/24/2020 06:30:00 PM");
    ASSERT_EQ(GotoNext(), 1);
    EXPECT_EQ(Row(5), "Bob|1234567|0.1|11/30/1999 11:59:59 PM|");
}

TEST_F(RowWalkTest, ACategoryColumnOfNumbersGivesItsCategoriesAsText) {
    OpenWithValues();
    ASSERT_EQ(DSOpen("By Score"), 2);
    EXPECT_EQ(Row(2), "3.5|Ann");
    ASSERT_EQ(GotoNext(), 1);
    EXPECT_EQ(Row(2), "1234567|Bob");
    char category[256];
    ASSERT_EQ(CategoryGetFirst(category, sizeof category), -1);
    EXPECT_STREQ(category, "3.5");
    ASSERT_EQ(CategoryGetNext(category, sizeof category), -1);
    EXPECT_STREQ(category, "1234567");
}

TEST_F(RowWalkTest, TextColumnsReadAsTheirItemsGiveThem) {
    Build(DataSourceDatabase(kServer, DataSource("Texts", "texts.nsf", "Texts")));
    Build(R"({"path": "texts.nsf", "views": [{"name": "Texts", "columns": [
        {"title": "Name", "item": "Name", "sorted": true}, {"title": "Tags", "item": "Tags"},
        {"title": "Fixed", "constant": "fixed"}, {"title": "Lines", "item": "Lines"},
        {"title": "Blank", "item": "Blank"}]}],
      "documents": [{"Name": "Zoë", "Tags": ["bè", "a"], "Lines": "one\ntwo", "Blank": ""},
                    {"Name": "Åsa", "Tags": [], "Lines": ""}]})");
    UseServer(kServer);
    ASSERT_EQ(LibOpen(), 1) << LastErrorText();
    ASSERT_EQ(DSOpen("Texts"), 5);
    EXPECT_EQ(Row(5), "\u00c5sa||fixed||");
    ASSERT_EQ(GotoNext(), 1);
    EXPECT_EQ(Row(5), "Zo\u00eb|b\u00e8|fixed|one\ntwo|");
    EXPECT_EQ(GotoNext(), 0);
}

// Plain texts are copied straight from the row's summary, and other values go through their items: both
// roads give the same text, whatever its characters, and both are cut at the caller's buffer alike.
TEST_F(RowWalkTest, TextsReadFromTheSummaryAndThroughTheirItemsAgree) {
    const std::string longAscii(300, 'x');
    std::string longMixed;
    for (int i = 0; i < 150; ++i)
        longMixed += i % 3 == 0 ? "\u00e9" : "ab";
    Build(DataSourceDatabase(kServer, DataSource("Both", "both.nsf", "Both")));
    Build(R"({"path": "both.nsf", "views": [{"name": "Both", "columns": [
        {"title": "Key", "item": "Key", "sorted": true}, {"title": "Text", "item": "Text"},
        {"title": "List", "item": "List"}]}],
      "documents": [{"Key": "1", "Text": "Zo\u00eb \u00c5sa \u4e2d", "List": ["Zo\u00eb \u00c5sa \u4e2d", "b"]},
                    {"Key": "2", "Text": "tab\there\u0001", "List": ["tab\there\u0001"]},
                    {"Key": "3", "Text": ")" +
          longAscii + R"(", "List": [")" + longAscii + R"("]},
                    {"Key": "4", "Text": ")" +
          longMixed + R"(", "List": [")" + longMixed + R"("]}]})");
    UseServer(kServer);
    ASSERT_EQ(LibOpen(), 1) << LastErrorText();
    ASSERT_EQ(DSOpen("Both"), 3);
    const std::vector<std::string> expected = {"Zo\u00eb \u00c5sa \u4e2d", "tab\there\u0001",
                                               longAscii.substr(0, 255), longMixed.substr(0, 255)};
    size_t row = 0;
    for (int more = 1; more; more = GotoNext(), ++row) {
        ASSERT_LT(row, expected.size());
        EXPECT_EQ(Data(1), expected[row]) << "row " << row;
        EXPECT_EQ(Data(2), expected[row]) << "row " << row;
        char small[6];
        GetData(1, small, sizeof small);
        const std::string fromSummary = small;
        GetData(2, small, sizeof small);
        EXPECT_EQ(fromSummary, std::string(small)) << "row " << row;
        EXPECT_EQ(fromSummary, expected[row].substr(0, 5)) << "row " << row;
    }
    EXPECT_EQ(row, expected.size());
}

// GetNoteID reads the note id the row's entry holds; a row of no document gives 0, as does a closed data
// source.
TEST_F(RowWalkTest, GetNoteIDGivesTheDocumentOfTheRowAndZeroForCategories) {
    OpenStandard();
    ASSERT_EQ(DSOpen("Everyone"), 3);
    std::vector<int> flat;
    for (int more = GotoFirst(); more; more = GotoNext())
        flat.push_back(GetNoteID());
    ASSERT_EQ(flat.size(), 3u);
    EXPECT_EQ(GetNoteID(), flat.back()) << "a walk that ran out stays on its last row";

    ASSERT_EQ(DSOpen("Contacts"), 3);
    char category[256];
    ASSERT_EQ(CategoryGetFirst(category, sizeof category), -1);
    EXPECT_EQ(GetNoteID(), 0);
    ASSERT_EQ(CategoryGetNext(category, sizeof category), -1);
    EXPECT_EQ(GetNoteID(), 0);
    EXPECT_EQ(LastErrorText(), "");
    std::vector<int> categorised;
    for (int more = GotoFirst(); more; more = GotoNext())
        categorised.push_back(GetNoteID());
    std::sort(flat.begin(), flat.end());
    std::sort(categorised.begin(), categorised.end());
    EXPECT_EQ(categorised, flat) << "both views show the same three documents";
    DSClose();
    EXPECT_EQ(GetNoteID(), 0);
}

TEST_F(RowWalkTest, ColumnsOutsideTheViewGiveEmptyTexts) {
    OpenStandard();
    ASSERT_EQ(DSOpen("Everyone"), 3);
    EXPECT_EQ(Data(-1), "");
    EXPECT_EQ(Data(3), "");
    EXPECT_EQ(Header(3), "");
    EXPECT_EQ(Header(-1), "");
    char text[4] = "abc";
    GetData(0, text, 0);
    EXPECT_STREQ(text, "abc");
    GetData(0, text, sizeof text);
    EXPECT_STREQ(text, "Lee");
    GetHeader(0, text, sizeof text);
    EXPECT_STREQ(text, "Las");
    GetData(0, nullptr, 10);
}

TEST_F(RowWalkTest, SearchSelectsRowsAndNullRestartsAtTheFirst) {
    OpenStandard();
    ASSERT_EQ(nsfadmin::Index("contacts.nsf", ""), "");
    ASSERT_EQ(DSOpen("Everyone"), 3);
    ASSERT_EQ(GotoNext(), 1);
    ASSERT_EQ(Search(nullptr), 1);
    EXPECT_EQ(Row(3), "Lee|Ann|North");

    ASSERT_EQ(Search("Noor"), 1);
    EXPECT_EQ(Row(3), "Noor|Cid|South");
    EXPECT_EQ(GotoNext(), 0);
}

TEST_F(RowWalkTest, AFailedSearchGivesZeroAndLeavesTheErrorText) {
    UseServer("Nowhere/Acme");
    ASSERT_EQ(LibOpen(), 0);
    const std::string shown = LastErrorText();
    OpenStandard();
    ASSERT_EQ(DSOpen("Everyone"), 3);
    EXPECT_EQ(LastErrorText(), shown);
    EXPECT_EQ(Search("(("), 0);
    EXPECT_EQ(LastErrorText(), shown);
    EXPECT_EQ(GotoNextCategory(), 0); // a flat view has no next category
    EXPECT_EQ(LastErrorText(), "");
}

TEST_F(RowWalkTest, AFailedSearchLeavesTheWalkWhereItWas) {
    OpenStandard();
    ASSERT_EQ(DSOpen("Everyone"), 3);
    ASSERT_EQ(GotoNext(), 1);
    EXPECT_EQ(Search("Noor"), 0); // no full-text index yet
    EXPECT_EQ(Row(3), "Marsh|Bob|North");
    ASSERT_EQ(GotoNext(), 1);
    EXPECT_EQ(Row(3), "Noor|Cid|South");

    ASSERT_EQ(nsfadmin::Index("contacts.nsf", ""), "");
    ASSERT_EQ(Search("Marsh"), 1);
    EXPECT_EQ(Search("(("), 0);
    EXPECT_EQ(Row(3), "Marsh|Bob|North");
    EXPECT_EQ(GotoNext(), 0); // still the search's one row
    ASSERT_EQ(GotoFirst(), 1);
    EXPECT_EQ(Row(3), "Marsh|Bob|North");
    ASSERT_EQ(Search(nullptr), 1);
    ASSERT_EQ(GotoNext(), 1);
    EXPECT_EQ(Row(3), "Marsh|Bob|North");
}

// A query that reads but matches no document selects no rows: the walk does not go on through the rows of
// the search or the view before it.
TEST_F(RowWalkTest, ASearchWithoutHitsSelectsNoRows) {
    OpenStandard();
    ASSERT_EQ(nsfadmin::Index("contacts.nsf", ""), "");
    ASSERT_EQ(DSOpen("Everyone"), 3);
    EXPECT_EQ(Search("Nobody"), 0);
    EXPECT_EQ(LastErrorText(), "");
    EXPECT_EQ(GotoNext(), 0);
    EXPECT_EQ(GotoFirst(), 0);

    ASSERT_EQ(Search("Marsh OR Noor"), 1);
    EXPECT_EQ(Search("Marsh AND Noor"), 0);
    EXPECT_EQ(GotoFirst(), 0);
    EXPECT_EQ(GotoNext(), 0);
    EXPECT_EQ(GotoNextCategory(), 0);

    ASSERT_EQ(Search(nullptr), 1);
    EXPECT_EQ(Row(3), "Lee|Ann|North");
}

// DSOpen walks the collection its view opened with; Search(NULL) reads the view afresh, as it stands.
TEST_F(RowWalkTest, SearchWithoutAQueryReadsTheViewAsItStandsNow) {
    Build(DataSourceDatabase(kServer, DataSource("History", "history.nsf", "All")));
    Build(R"({"path": "history.nsf", "views": [{"name": "All", "columns": [
        {"title": "Name", "item": "Name", "sorted": true}, {"title": "History", "item": "MergeHistory"}]}],
      "documents": [{"Name": "Ann", "MergeHistory": "Spring letter"}, {"Name": "Bob"}]})");
    UseServer(kServer);
    ASSERT_EQ(LibOpen(), 1) << LastErrorText();
    ASSERT_EQ(DSOpen("History"), 2);
    EXPECT_EQ(Row(2), "Ann|Spring letter");
    const int ann = GetNoteID();
    ASSERT_EQ(GotoNext(), 1);
    EXPECT_EQ(Row(2), "Bob|");
    const int bob = GetNoteID();
    UpdateDocument("MergeHistory", "Merge A", bob);
    UpdateDocument("MergeHistory", "Merge A", ann);
    ASSERT_EQ(Search(nullptr), 1);
    EXPECT_EQ(Row(2), "Ann|Spring letter");
    EXPECT_EQ(GetNoteID(), ann);
    ASSERT_EQ(GotoNext(), 1);
    EXPECT_EQ(Row(2), "Bob|Merge A");
    EXPECT_EQ(GotoNext(), 0);
}

TEST_F(RowWalkTest, DSCloseEndsTheOpenDataSource) {
    OpenStandard();
    ASSERT_EQ(DSOpen("Everyone"), 3);
    DSClose();
    EXPECT_EQ(CurrentSourceIndex, -1);
    EXPECT_EQ(Header(0), "");
    DSClose();
    char text[256];
    EXPECT_EQ(DSGetInfo(1, text, sizeof text), 0);
    EXPECT_EQ(DSOpen("Contacts"), 3);
    EXPECT_EQ(Row(3), "North|Lee|Ann");
}

} // namespace
} // namespace qvltest
