#include "record_match.h"

#include "string_grid.h"

QString UpperAscii(const QString& text) {
    QString upper = text;
    for (QChar& c : upper) {
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z')) c = QChar(c.unicode() - 'a' + 'A');
    }
    return upper;
}

bool MatchCell(const SearchCondition& condition, const QString& cell) {
    QString text = condition.CaseSensitive ? cell : UpperAscii(cell);
    const QString& value = condition.MatchValue;
    bool found = false;
    switch (condition.MatchKind) {
    case 0:
        found = text == value;
        break;
    case 1:
        found = text.left(value.size()) == value;
        break;
    default:
        found = !value.isEmpty() && text.contains(value, Qt::CaseSensitive);
        break;
    }
    return found == condition.MatchPositive;
}

bool MatchRow(const SearchCondition& condition, const StringGrid& grid, int row, int columnCount) {
    if (condition.FieldIndex > 0) return MatchCell(condition, grid.Cell(condition.FieldIndex, row));
    for (int col = 1; col <= columnCount; ++col) {
        if (MatchCell(condition, grid.Cell(col, row))) return true;
    }
    return false;
}
