// The row walk of the open data source: moving its navigator and reading the row it reaches.
#pragma once

#include "ln/lnvfentry.h"
#include "ln/lnvfnavigator.h"

// Moves CurrentNavigator by code into CurrentEntry; a failed move (the end of the rows included) clears
// ErrorText and gives false.
bool MoveCurrentRow(LNVFNAVIGATION code);

// Whether CurrentEntry is a category below the top level: one of a view's second (or later) categorised
// column.
bool AtSubcategory();

// Reads every column of CurrentEntry and, in a categorised view, passes category rows on to the next document
// row, whose column 0 becomes its category. 1 when a row was read, 0 when the walk ran out.
int ReadCurrentRow();

// Reads every column value of entry into CurrentColumnValues; a row that cannot be read whole gives empty
// texts for all its columns.
void ReadEntryColumns(const LNVFEntry& entry);
