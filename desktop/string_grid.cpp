#include "string_grid.h"

#include <QHeaderView>
#include <QItemSelection>
#include <QScrollBar>

namespace {
constexpr int kDefaultColWidth = 64;
constexpr int kDefaultRowHeight = 15;
// A header section is this much wider than its column (a grid line and the frame); the view draws each
// column that much wider, so that the titles above stay over their columns.
constexpr int kSectionExtra = 2;
} // namespace

StringGrid::StringGrid(QWidget* parent) : QTableView(parent) {
    setModel(&model_);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setDefaultSectionSize(kDefaultRowHeight);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setMinimumSectionSize(0);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    setWordWrap(false);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, &StringGrid::TopLeftChanged);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &StringGrid::TopLeftChanged);
}

void StringGrid::SetRowCount(int rows) {
    model_.SetRowCount(rows);
    heights_.resize(RowCount(), kDefaultRowHeight);
}

void StringGrid::SetColCount(int cols) {
    model_.SetColCount(cols);
    widths_.resize(ColCount(), kDefaultColWidth);
    for (int c = 0; c < ColCount(); ++c)
        SetColWidth(c, widths_[c]);
}

int StringGrid::ColWidth(int col) const {
    return col >= 0 && col < static_cast<int>(widths_.size()) ? widths_[col] : 0;
}

void StringGrid::SetColWidth(int col, int width) {
    if (col < 0 || col >= ColCount()) return;
    widths_[col] = std::max(width, 0);
    setColumnHidden(col, widths_[col] == 0);
    if (widths_[col] > 0) setColumnWidth(col, widths_[col] + kSectionExtra);
}

void StringGrid::SetRowHeight(int row, int height) {
    if (row < 0 || row >= RowCount()) return;
    heights_[row] = std::max(height, 0);
    setRowHidden(row, heights_[row] == 0);
    if (heights_[row] > 0) setRowHeight(row, heights_[row]);
}

int StringGrid::TopRow() const {
    int row = rowAt(0);
    return row < 0 ? 0 : row;
}

void StringGrid::SetTopRow(int row) {
    if (row < 0 || row >= RowCount()) return;
    scrollTo(model_.index(row, std::max(LeftCol(), 0)), QAbstractItemView::PositionAtTop);
}

int StringGrid::CurrentRow() const {
    return currentIndex().isValid() ? currentIndex().row() : 0;
}

void StringGrid::SetCurrentRow(int row) {
    if (row < 0 || row >= RowCount()) return;
    QModelIndex at = model_.index(row, std::max(LeftCol(), 0));
    selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

int StringGrid::LeftCol() const {
    int col = horizontalHeader()->logicalIndexAt(0);
    if (col < 1) {
        for (col = 1; col < ColCount() && isColumnHidden(col); ++col) {
        }
    }
    return col;
}

std::pair<int, int> StringGrid::HighlightedRows() const {
    QModelIndexList rows = selectionModel()->selectedRows();
    if (rows.isEmpty()) {
        if (!currentIndex().isValid()) return {-1, -1};
        return {currentIndex().row(), currentIndex().row()};
    }
    int top = rows.front().row(), bottom = top;
    for (const QModelIndex& at : rows) {
        top = std::min(top, at.row());
        bottom = std::max(bottom, at.row());
    }
    return {top, bottom};
}

void StringGrid::HighlightRows(int top, int bottom) {
    if (ColCount() == 0 || top < 0 || bottom >= RowCount() || top > bottom) return;
    QItemSelection block(model_.index(top, 0), model_.index(bottom, ColCount() - 1));
    selectionModel()->setCurrentIndex(model_.index(bottom, std::max(LeftCol(), 0)),
                                      QItemSelectionModel::NoUpdate);
    selectionModel()->select(block, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}
