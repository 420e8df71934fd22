// Views: opening and closing, names from "$TITLE", the column layout and its faults, handles without bodies.
#include "ln/lnviewfolderarray.h"
#include "lnviewfolderfixture.h"
#include "nnotes/idtable.h"
#include "nnotes/note.h"
#include "nnotes/status.h"

#include <algorithm>

namespace {

TEST_F(ViewsTest, OpenReadsTheLayoutAndTheNames) {
    LNViewFolder view = OpenView("By Region");
    EXPECT_EQ(Text(view.GetName()), "By Region");
    EXPECT_EQ(Text(view.GetAlias()), "ByRegion");
    ASSERT_EQ(view.GetColumnCount(), 4u);
    EXPECT_EQ(Text(view.GetColumnTitle(0)), "Region");
    EXPECT_EQ(Text(view.GetColumnTitle(3)), "Kind");
    EXPECT_EQ(Thrown([&] { view.GetColumnTitle(4); }), LNERR_OUT_OF_RANGE);
    EXPECT_TRUE(view.IsCategorized());
    EXPECT_EQ(view.GetEntryCount(), 5u);
    EXPECT_EQ(Text(view.GetDatabase().GetFilepath()), "views.nsf");
    EXPECT_EQ(view.Close(), 0u);
}

TEST_F(ViewsTest, OpenTwiceAndCloseTwiceAreWarnings) {
    LNViewFolder view = OpenView("Flat");
    EXPECT_EQ(view.Open(0), LNWARN_ALREADY_OPEN);
    EXPECT_EQ(view.GetColumnCount(), 3u);
    EXPECT_FALSE(view.IsCategorized());
    EXPECT_EQ(view.Close(), 0u);
    EXPECT_EQ(view.Close(), LNWARN_NOT_OPEN);
    EXPECT_EQ(Thrown([&] { view.GetColumnTitle(0); }), LNERR_VIEW_NOT_OPEN);
    LNVFEntry entry;
    EXPECT_EQ(view.Goto(LNVFNAVIGATION_FIRST, &entry), LNERR_VIEW_NOT_OPEN);
    EXPECT_EQ(view.Open(0), 0u) << "a closed view opens again";
    EXPECT_EQ(view.Goto(LNVFNAVIGATION_FIRST, &entry), 0u);
    EXPECT_EQ(view.Close(), 0u);
}

TEST_F(ViewsTest, OpenOptionsAreChecked) {
    LNViewFolder view;
    ASSERT_EQ(db_.GetViewFolder("Flat", &view), 0u);
    EXPECT_EQ(view.Open(0x0008), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(view.Open(0x10000), LNERR_INVALID_PARAMETER) << "bits beyond the options word are not dropped";
    EXPECT_EQ(view.Open(0x0010), LNERR_NOT_IMPLEMENTED) << "the navigator refuses what the view lets through";
    EXPECT_EQ(view.Open(0x0001), 0u);
    EXPECT_EQ(view.Close(), 0u);
}

TEST_F(ViewsTest, HandlesWithoutBodyAnswerWhyNot) {
    LNViewFolder none;
    EXPECT_EQ(none.Open(0), LNERR_NOT_INITIALIZED);
    EXPECT_EQ(none.Close(), LNWARN_NOT_OPEN);
    EXPECT_EQ(Thrown([&] { none.GetColumnCount(); }), LNERR_NOT_INITIALIZED);
    LNViewFolder named;
    ASSERT_EQ(db_.GetViewFolder("Flat", &named), 0u);
    EXPECT_NE(named.GetNoteID(), 0u);
    EXPECT_EQ(Thrown([&] { named.GetEntryCount(); }), LNERR_VIEW_NOT_OPEN);
    LNVFNavigator navigator;
    EXPECT_EQ(named.GetEntries(&navigator), LNERR_VIEW_NOT_OPEN);
    LNSetThrowAllErrors(true);
    EXPECT_EQ(Thrown([&] { named.GetEntries(&navigator); }), LNERR_VIEW_NOT_OPEN);
    LNSetThrowAllErrors(false);
}

TEST_F(ViewsTest, LookupsOfViewsByName) {
    LNViewFolder view;
    EXPECT_EQ(db_.GetViewFolder("", &view), LNERR_INVALID_PARAMETER);
    EXPECT_EQ(db_.GetViewFolder("Flat", nullptr), LNERR_INVALID_PARAMETER);
    EXPECT_TRUE(LNIsNotesStatus(db_.GetViewFolder("No Such View", &view)));
    EXPECT_EQ(db_.GetViewFolder("ByRegion", &view), 0u) << "a view is found by its alias too";
}

TEST_F(ViewsTest, EveryViewOfTheDatabase) {
    LNViewFolderArray views;
    ASSERT_EQ(db_.GetViewFolders(&views), 0u);
    ASSERT_EQ(views.GetCount(), 6u);
    std::vector<std::string> names;
    for (uint32_t i = 0; i < views.GetCount(); ++i) {
        LNViewFolder view = views[i];
        EXPECT_FALSE(view.IsOpen());
        ASSERT_EQ(view.Open(0), 0u);
        names.push_back(Text(view.GetName()));
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names,
              (std::vector<std::string>{"By Region", "Empty", "Flat", "Special", "Threads", "Totals"}));
    EXPECT_EQ(Thrown([&] { views[6]; }), LNERR_SUBSCRIPT_OUT_OF_RANGE);
    EXPECT_EQ(db_.GetViewFolders(nullptr), LNERR_INVALID_PARAMETER);
}

TEST_F(ViewsTest, TitlesSplitIntoNameAndAlias) {
    const std::vector<RawColumn> columns = {{0, "Name", "Name", "", ""}};
    const std::vector<std::pair<std::string, std::pair<std::string, std::string>>> cases = {
        {"People | Folk", {"People", "Folk"}},
        {"People|", {"People", ""}},
        {"   |  Folk", {"", "Folk"}},
        {"|Folk", {"", "Folk"}},
        {"A|B|C", {"A", "B|C"}},
        {"  Plain  ", {"  Plain  ", ""}}};
    for (const auto& [title, expected] : cases) {
        LNViewFolder view(db_.GetDatabaseBody(), WriteView(title, Format(columns)));
        ASSERT_EQ(view.Open(0), 0u) << title;
        EXPECT_EQ(Text(view.GetName()), expected.first) << title;
        EXPECT_EQ(Text(view.GetAlias()), expected.second) << title;
        view.Close();
        ASSERT_EQ(db_.DeleteViewFolder(&view), 0u);
    }
}

TEST_F(ViewsTest, LongTitlesAreReadWhole) {
    // A name of 300 bytes in two-byte characters, whichever byte a fixed buffer would end on, then the alias.
    std::string name;
    for (int i = 0; i < 150; ++i)
        name += "\xC3\xBC"; // U+00FC
    const std::vector<RawColumn> columns = {{0, "Name", "Name", "", ""}};
    for (const std::string& title : {name + " | Umlaute", "x" + name + "|Umlaute"}) {
        LNViewFolder view(db_.GetDatabaseBody(), WriteView(title, Format(columns)));
        ASSERT_EQ(view.Open(0), 0u);
        EXPECT_EQ(Text(view.GetName()), title.substr(0, title.find_first_of(" |")));
        EXPECT_EQ(Text(view.GetAlias()), "Umlaute");
        view.Close();
        ASSERT_EQ(db_.DeleteViewFolder(&view), 0u);
    }
}

TEST_F(ViewsTest, DamagedLayoutsAreRefused) {
    std::string cut = Format({{0, "Name", "Name", "", ""}});
    cut.resize(cut.size() - 3);
    const std::vector<std::pair<std::string, LNSTATUS>> cases = {
        {Format({}).substr(0, 8), LNERR_INVALID_VIEW},
        {Format({{0, "Name", "Name", "", ""}}, 2), LNERR_UNSUPPORTED_VIEW_VERSION},
        {cut, LNERR_INVALID_VIEW},
        {cut.substr(0, 12), LNERR_INVALID_VIEW}};
    int name = 0;
    for (const auto& [format, status] : cases) {
        LNViewFolder view(db_.GetDatabaseBody(), WriteView("Damaged" + std::to_string(++name), format));
        EXPECT_EQ(view.Open(0), status) << name;
        EXPECT_FALSE(view.IsOpen()) << name << ": a failed open closes the note again";
        EXPECT_EQ(view.Close(), LNWARN_NOT_OPEN) << name;
    }
}

TEST_F(ViewsTest, AViewWithoutColumnsOpensAndGivesItsEntries) {
    LNViewFolder view(db_.GetDatabaseBody(), WriteView("Bare", Format({})));
    ASSERT_EQ(view.Open(0), 0u);
    EXPECT_EQ(view.GetColumnCount(), 0u);
    EXPECT_EQ(Text(view.GetName()), "Bare");
    EXPECT_EQ(view.GetEntryCount(), 5u);
    LNVFEntry first;
    ASSERT_EQ(view.Goto(LNVFNAVIGATION_FIRST, &first), 0u);
    EXPECT_NE(first.GetNoteID(), 0u);
    EXPECT_EQ(Thrown([&] { first[0]; }), LNERR_OUT_OF_RANGE);
    EXPECT_EQ(Thrown([&] { view.GetColumnTitle(0); }), LNERR_OUT_OF_RANGE);
    EXPECT_EQ(view.Close(), 0u);
}

TEST_F(ViewsTest, OnlyViewNotesBecomeViews) {
    nnotes::NOTEHANDLE note = 0;
    ASSERT_EQ(nnotes::CreateNote(db_.GetHandle(), &note), nnotes::NOERROR);
    const uint16_t formClass = nnotes::NOTE_CLASS_FORM;
    nnotes::SetNoteInfo(note, nnotes::NOTE_INFO_CLASS, &formClass);
    nnotes::SetItemText(note, "$TITLE", "Contact", 7);
    ASSERT_EQ(nnotes::UpdateNote(note, 0), nnotes::NOERROR);
    nnotes::NOTEID formId = 0;
    nnotes::GetNoteInfo(note, nnotes::NOTE_INFO_ID, &formId);
    nnotes::CloseNote(note);

    LNNote form;
    ASSERT_EQ(db_.GetNote(formId, &form), 0u);
    EXPECT_EQ(Thrown([&] { LNViewFolder view(form); }), LNERR_CONVERSION);
    LNViewFolder pretend(db_.GetDatabaseBody(), formId);
    EXPECT_EQ(pretend.Open(0), LNERR_INVALID_VIEW);

    LNViewFolder named;
    ASSERT_EQ(db_.GetViewFolder("Flat", &named), 0u);
    LNNote note2;
    ASSERT_EQ(db_.GetNote(named.GetNoteID(), &note2), 0u);
    LNViewFolder converted(note2);
    EXPECT_EQ(converted.Open(0), 0u);
    EXPECT_EQ(converted.GetEntryCount(), 3u);
}

TEST_F(ViewsTest, ClosingTheDatabaseClosesItsViews) {
    LNViewFolder view = OpenView("By Region");
    LNVFNavigator navigator;
    ASSERT_EQ(view.GetEntries(&navigator), 0u);
    LNVFEntry entry;
    ASSERT_EQ(navigator.Goto(LNVFNAVIGATION_FIRST, &entry), 0u);
    ASSERT_EQ(db_.Close(), 0u);
    EXPECT_FALSE(view.IsOpen());
    EXPECT_EQ(navigator.Goto(LNVFNAVIGATION_NEXT, &entry), LNERR_NO_COLLECTION);
    EXPECT_EQ(Thrown([&] { entry[1]; }), LNERR_NO_COLLECTION);
}

TEST_F(ViewsTest, ViewOpensOverAnotherDatabase) {
    ASSERT_EQ(
        area_.Build(
            R"({ "path": "other.nsf", "documents": [ { "Form": "Contact", "Name": "Zed", "Region": "Z" } ] })"),
        "");
    LNViewFolder view;
    ASSERT_EQ(db_.GetViewFolder("Flat", &view), 0u);
    ASSERT_EQ(view.Open(0, "other.nsf", ""), 0u);
    EXPECT_EQ(view.GetEntryCount(), 1u);
    EXPECT_EQ(Text(view.GetDatabase().GetFilepath()), "other.nsf");
    LNVFEntry entry;
    ASSERT_EQ(view.Goto(LNVFNAVIGATION_FIRST, &entry), 0u);
    EXPECT_EQ(ColumnText(entry, 0), "Zed");
    LNDatabase other = view.GetDatabase();
    EXPECT_EQ(view.Close(), 0u);
    EXPECT_FALSE(other.IsOpen()) << "the view closes the database that it opened";
}

} // namespace
