#include "merge_data_file.h"

#include "string_grid.h"

#include <QRegularExpression>

namespace {

// A tab or line break inside a value would split its record into fields or lines of their own and shift
// every later value, so each becomes a space.
QString FieldText(QString value) {
    static const QRegularExpression separators(QStringLiteral("[\t\r\n]"));
    return value.replace(separators, QStringLiteral(" "));
}

QByteArray Line(const StringGrid& grid, int row, int columnCount) {
    QStringList fields;
    for (int col = 1; col <= columnCount; ++col)
        fields << FieldText(grid.Cell(col, row));
    return fields.join(QLatin1Char('\t')).toUtf8() + "\r\n";
}

} // namespace

QByteArray MergeDataText(const StringGrid& grid, int columnCount, bool allRows) {
    QByteArray text = Line(grid, 0, columnCount);
    if (allRows) {
        for (int row = 1; row < grid.RowCount(); ++row)
            text += Line(grid, row, columnCount);
    }
    return text;
}
