// Building the selection: highlighted rows, all rows with and without duplicates, removing rows.
#include "app_fixture.h"

#include "forms.h"
#include "frm_main.h"
#include "program_state.h"
#include "string_grid.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>

namespace {

using Selection = AppTest;

QStringList NoteIds(const StringGrid& grid) {
    QStringList ids;
    for (int row = 1; row <= grid.Tag; ++row)
        ids << grid.Cell(State().ColumnCount + 1, row);
    return ids;
}

TEST_F(Selection, HighlightedRowsSkipWhatIsAlreadySelected) {
    fake::Lib().sources = {Contacts(6)};
    OpenSource("Contacts");
    frmMain->gridAll->HighlightRows(4, 4);
    frmMain->mnuAddHighlighted->trigger();
    frmMain->gridAll->HighlightRows(3, 5);
    frmMain->mnuAddHighlighted->trigger();
    EXPECT_EQ(NoteIds(*frmMain->gridSel), (QStringList{"104", "103", "105"}));
    EXPECT_EQ(frmMain->gridSel->RowCount(), 4);
    EXPECT_EQ(frmMain->gridSel->Cell(1, 2), "Last3");
    EXPECT_EQ(frmMain->gridSel->Cell(3, 3), "Town5");
    EXPECT_EQ(frmMain->lblSelectedCount->text(), "3 selected");
    EXPECT_EQ(frmMain->gridSel->CurrentRow(), 3);
}

TEST_F(Selection, AddAllTakesADocumentInTwoCategoriesOnceOnlyWhenAsked) {
    fake::Source source = Regions();
    source.rows.push_back({{"D", "Ann", "Leeds"}, 11});
    fake::Lib().sources = {source};
    ChooseCategories({}, true);
    OpenSource("Regions");
    ASSERT_EQ(frmMain->gridAll->Tag, 6);
    frmMain->mnuAddAll->trigger();
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Add all retrieved records?"});
    EXPECT_EQ(frmMain->gridSel->Tag, 5);

    ChooseCategories({}, false);
    OpenSource("Regions");
    frmMain->btnSelectAll->click();
    EXPECT_EQ(frmMain->gridSel->Tag, 6);
    EXPECT_EQ(frmMain->gridSel->RowCount(), 7);
    EXPECT_EQ(NoteIds(*frmMain->gridSel).count("11"), 2);
}

TEST_F(Selection, AddAllReplacesTheSelectionAndNoKeepsIt) {
    fake::Lib().sources = {Contacts(3)};
    OpenSource("Contacts");
    frmMain->gridAll->HighlightRows(1, 1);
    frmMain->AddHighlightedClick();
    frmMain->AddHighlightedClick();
    EXPECT_EQ(frmMain->gridSel->Tag, 1);
    Answer({os::IDNO});
    frmMain->AddAllClick();
    EXPECT_EQ(frmMain->gridSel->Tag, 1);
    frmMain->AddAllClick();
    EXPECT_EQ(NoteIds(*frmMain->gridSel), (QStringList{"101", "102", "103"}));
}

TEST_F(Selection, AddAllWithoutRecordsLeavesTheSelectionEmpty) {
    fake::Lib().sources = {Contacts(0)};
    OpenSource("Contacts");
    frmMain->AddAllClick();
    EXPECT_EQ(frmMain->gridSel->Tag, 0);
    EXPECT_EQ(frmMain->gridSel->RowCount(), 2);
    EXPECT_EQ(frmMain->lblSelectedCount->text(), "");
}

TEST_F(Selection, DeletingHighlightedRowsClosesTheGap) {
    fake::Lib().sources = {Contacts(5)};
    OpenSource("Contacts");
    frmMain->AddAllClick();
    frmMain->gridSel->HighlightRows(2, 3);
    frmMain->mnuClearHighlighted->trigger();
    EXPECT_EQ(NoteIds(*frmMain->gridSel), (QStringList{"101", "104", "105"}));
    EXPECT_EQ(frmMain->gridSel->RowCount(), 4);
    EXPECT_EQ(frmMain->gridSel->Cell(2, 3), "First5");
    EXPECT_EQ(frmMain->lblSelectedCount->text(), "3 selected");

    frmMain->gridSel->HighlightRows(1, 3);
    frmMain->ClearHighlightedClick();
    EXPECT_EQ(frmMain->gridSel->Tag, 0);
    EXPECT_EQ(frmMain->gridSel->RowCount(), 2);
    EXPECT_EQ(frmMain->gridSel->Cell(1, 1), "");
    EXPECT_TRUE(boxes_.size() == 1) << "only the add-all question";

    frmMain->gridSel->HighlightRows(1, 1);
    frmMain->ClearHighlightedClick();
    EXPECT_EQ(BoxTexts().back(), "There are no records to delete");
}

TEST_F(Selection, ClearAllAsks) {
    fake::Lib().sources = {Contacts(2)};
    OpenSource("Contacts");
    frmMain->AddAllClick();
    Answer({os::IDNO});
    frmMain->mnuClearAll->trigger();
    EXPECT_EQ(frmMain->gridSel->Tag, 2);
    frmMain->mnuClearAll->trigger();
    EXPECT_EQ(BoxTexts().back(), "Clear selected records?");
    EXPECT_EQ(frmMain->gridSel->Tag, 0);
}

} // namespace
