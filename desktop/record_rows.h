// Moving records between the grids. A record is the cells of columns 1..ColumnCount + 1 (data and note id).
#pragma once

#include <QSet>
#include <QString>

class StringGrid;

// The note ids of a grid's records, kept up to date by the copies below, so that a copy of many rows checks
// each one in a single look-up instead of a pass over every record copied before it.
class SelectedIds {
public:
    explicit SelectedIds(const StringGrid& grid);
    bool Contains(const QString& noteId) const { return ids_.contains(noteId); }
    void Add(const QString& noteId) { ids_.insert(noteId); }

private:
    QSet<QString> ids_;
};

// Appends record row of source to dest; with the ids of dest, not when dest already holds its note id.
bool CopyRowToSelection(StringGrid& dest, const StringGrid& source, int row, SelectedIds* destIds);
// Copies every record of source to dest; with ignoreDuplicates each note id once, at its first row.
void AddAllRows(StringGrid& dest, const StringGrid& source, bool ignoreDuplicates);
// Removes the highlighted block of records.
void DeleteHighlightedRows(StringGrid& grid);
