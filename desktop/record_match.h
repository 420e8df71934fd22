// The search condition of "Search and Add" and how it matches grid cells.
#pragma once

#include <QString>

class StringGrid;

struct SearchCondition {
    // 0 any field, i grid column i.
    int FieldIndex = 0;
    // 0 equal, 1 starts with, 2 contains.
    int MatchKind = 0;
    // False for the negated operators.
    bool MatchPositive = true;
    // Upper-cased already unless the search is case sensitive.
    QString MatchValue;
    bool CaseSensitive = false;
};

// Upper-cases the letters a-z only.
QString UpperAscii(const QString& text);
bool MatchCell(const SearchCondition& condition, const QString& cell);
bool MatchRow(const SearchCondition& condition, const StringGrid& grid, int row, int columnCount);
