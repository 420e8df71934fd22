// The grid routines: clearing keeps the note-id cell, scrolling to the end, and header sections that
// resize their columns.
#include "app_fixture.h"

#include "forms.h"
#include "frm_main.h"
#include "grid_routines.h"
#include "header_control.h"
#include "program_state.h"
#include "string_grid.h"

namespace {

using Grids = AppTest;

TEST_F(Grids, ClearGridEmptiesTheDataCellsOfRowOneOnly) {
    fake::Lib().sources = {Contacts(3)};
    OpenSource("Contacts");
    StringGrid& grid = *frmMain->gridAll;
    ClearGrid(grid);
    EXPECT_EQ(grid.RowCount(), 2);
    EXPECT_EQ(grid.Tag, 0);
    EXPECT_EQ(grid.Cell(1, 1), "");
    EXPECT_EQ(grid.Cell(3, 1), "");
    EXPECT_EQ(grid.Cell(4, 1), "101") << "the note-id cell is left as it was";
    EXPECT_EQ(grid.Cell(1, 0), "Last_Name");
}

TEST_F(Grids, ScrollToEndMakesTheLastRowCurrent) {
    fake::Lib().sources = {Contacts(30)};
    OpenSource("Contacts");
    ScrollGridToEnd(*frmMain->gridAll, 7);
    EXPECT_EQ(frmMain->gridAll->CurrentRow(), 30);
}

TEST_F(Grids, ResizingASectionResizesItsColumn) {
    fake::Lib().sources = {Contacts(1)};
    OpenSource("Contacts");
    HeaderControl& header = *frmMain->gridallheader;
    header.resizeSection(1, 202);
    EXPECT_EQ(frmMain->gridAll->ColWidth(2), 200);
    EXPECT_EQ(frmMain->gridSel->ColWidth(2), 15 * 10) << "the other grid keeps its layout";
    header.SetSectionWidth(0, 50);
    EXPECT_EQ(frmMain->gridAll->ColWidth(1), 15 * 9) << "the program's own resizing does not echo back";
}

TEST_F(Grids, CopyStringListAppendsInOrder) {
    QStringList target{"a"};
    CopyStringList(target, {"b", "c"});
    EXPECT_EQ(target, (QStringList{"a", "b", "c"}));
}

} // namespace
