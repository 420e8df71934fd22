// Moving records between the grids. A record is the cells of columns 1..ColumnCount + 1 (data and note id).
#pragma once

class StringGrid;

// Appends record row of source to dest; with checkDuplicates, not when dest already holds its note id.
bool CopyRowToSelection(StringGrid& dest, const StringGrid& source, int row, bool checkDuplicates);
// Copies every record of source to dest; with ignoreDuplicates each note id once, at its first row.
void AddAllRows(StringGrid& dest, const StringGrid& source, bool ignoreDuplicates);
// Removes the highlighted block of records.
void DeleteHighlightedRows(StringGrid& grid);
