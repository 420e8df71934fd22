#include "record_rows.h"

#include "grid_routines.h"
#include "messages.h"
#include "modal.h"
#include "program_state.h"
#include "string_grid.h"

namespace {

void CopyRecord(StringGrid& dest, int destRow, const StringGrid& source, int sourceRow) {
    for (int col = 1; col <= State().ColumnCount + 1; ++col)
        dest.SetCell(col, destRow, source.Cell(col, sourceRow));
}

} // namespace

SelectedIds::SelectedIds(const StringGrid& grid) {
    const int idCol = State().ColumnCount + 1;
    for (int r = 1; r <= grid.Tag; ++r)
        ids_.insert(grid.Cell(idCol, r));
}

bool CopyRowToSelection(StringGrid& dest, const StringGrid& source, int row, SelectedIds* destIds) {
    if (destIds) {
        QString noteId = source.Cell(State().ColumnCount + 1, row);
        if (destIds->Contains(noteId)) return false;
        destIds->Add(noteId);
    }
    if (dest.Tag != 0) dest.SetRowCount(dest.RowCount() + 1);
    CopyRecord(dest, dest.RowCount() - 1, source, row);
    ++dest.Tag;
    return true;
}

void AddAllRows(StringGrid& dest, const StringGrid& source, bool ignoreDuplicates) {
    HourglassCursor hourglass;
    if (ignoreDuplicates) {
        SelectedIds ids(dest);
        for (int r = 1; r <= source.Tag; ++r)
            CopyRowToSelection(dest, source, r, &ids);
        return;
    }
    dest.SetRowCount(source.RowCount());
    dest.Tag = source.Tag;
    for (int r = 1; r <= source.Tag; ++r)
        CopyRecord(dest, r, source, r);
}

void DeleteHighlightedRows(StringGrid& grid) {
    auto [top, bottom] = grid.HighlightedRows();
    if (top == 0) {
        Warn("You cannot delete the header row");
        return;
    }
    if (grid.Tag == 0) {
        Warn("There are no records to delete");
        return;
    }
    if (top < 0) return;
    bottom = std::min(bottom, grid.Tag);
    if (top > bottom) return;
    HourglassCursor hourglass;
    int n = bottom - top + 1;
    for (int r = bottom + 1; r <= grid.Tag; ++r)
        CopyRecord(grid, r - n, grid, r);
    if (n == grid.Tag) {
        ClearGrid(grid);
    } else {
        grid.SetRowCount(grid.RowCount() - n);
        grid.Tag -= n;
    }
}
