#include "string_grid_model.h"

int StringGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int StringGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : cols_;
}

QVariant StringGridModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    return Cell(index.column(), index.row());
}

void StringGridModel::SetRowCount(int rows) {
    rows = std::max(rows, 0);
    int old = rowCount();
    if (rows > old) {
        beginInsertRows({}, old, rows - 1);
        rows_.resize(rows, std::vector<QString>(cols_));
        endInsertRows();
    } else if (rows < old) {
        beginRemoveRows({}, rows, old - 1);
        rows_.resize(rows);
        endRemoveRows();
    }
}

void StringGridModel::SetColCount(int cols) {
    cols = std::max(cols, 0);
    if (cols == cols_) return;
    if (cols > cols_) {
        beginInsertColumns({}, cols_, cols - 1);
    } else {
        beginRemoveColumns({}, cols, cols_ - 1);
    }
    for (auto& row : rows_)
        row.resize(cols);
    int old = cols_;
    cols_ = cols;
    if (cols > old) {
        endInsertColumns();
    } else {
        endRemoveColumns();
    }
}

QString StringGridModel::Cell(int col, int row) const {
    if (row < 0 || row >= rowCount() || col < 0 || col >= cols_) return {};
    return rows_[row][col];
}

void StringGridModel::SetCell(int col, int row, const QString& text) {
    if (row < 0 || row >= rowCount() || col < 0 || col >= cols_) return;
    rows_[row][col] = text;
    QModelIndex at = index(row, col);
    emit dataChanged(at, at, {Qt::DisplayRole});
}
