// The column table of the open data source: one entry per grid column, rebuilt at every open.
#pragma once

#include "program_state.h"

// Builds a new column table from the open view's titles and a new, empty category list.
void LoadColumnTable();

// Replaces every space of the entry's name by "_", in place.
void UnderscoreSpaces(ColumnInfo& entry);
