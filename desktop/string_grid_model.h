// The cells of a string grid: rows of texts, addressed column first as the grid's callers address them.
#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <vector>

class StringGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    void SetRowCount(int rows);
    void SetColCount(int cols);
    // Reads outside the grid give the empty text; writes outside it are ignored.
    QString Cell(int col, int row) const;
    void SetCell(int col, int row, const QString& text);

private:
    std::vector<std::vector<QString>> rows_;
    int cols_ = 0;
};
