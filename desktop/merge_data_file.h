// The merge data file: the selection grid as tab-separated lines ended by CR LF, the column titles first.
#pragma once

#include <QByteArray>

class StringGrid;

// The file's bytes for grid columns 1..columnCount: row 0, then (with allRows) rows 1..row count - 1.
QByteArray MergeDataText(const StringGrid& grid, int columnCount, bool allRows);
