// A string grid: a table of texts with one fixed row (the column names) and one fixed column, whole-row
// range selection, column widths in pixels (0 hides a column) and a record count kept on the grid (Tag).
#pragma once

#include "string_grid_model.h"

#include <QTableView>

#include <vector>

class StringGrid : public QTableView {
    Q_OBJECT
public:
    explicit StringGrid(QWidget* parent = nullptr);

    // The number of records in rows 1..Tag.
    int Tag = 0;

    int RowCount() const { return model_.rowCount(); }
    void SetRowCount(int rows);
    int ColCount() const { return model_.columnCount(); }
    void SetColCount(int cols);
    QString Cell(int col, int row) const { return model_.Cell(col, row); }
    void SetCell(int col, int row, const QString& text) { model_.SetCell(col, row, text); }

    int ColWidth(int col) const;
    void SetColWidth(int col, int width);
    void SetRowHeight(int row, int height);

    int TopRow() const;
    void SetTopRow(int row);
    int CurrentRow() const;
    void SetCurrentRow(int row);
    // The first visible column right of the fixed one.
    int LeftCol() const;

    // The highlighted block of rows, top and bottom; both -1 when nothing is highlighted.
    std::pair<int, int> HighlightedRows() const;
    void HighlightRows(int top, int bottom);

signals:
    // The top-left visible cell changed.
    void TopLeftChanged();

private:
    StringGridModel model_;
    std::vector<int> widths_;
    std::vector<int> heights_;
};
