// The data-source table: read once from the view "DataSources" of qvlds.nsf when the library opens.
#pragma once

#include "datasourcerecord.h"
#include "ln/lnvfentry.h"

#include <string>

// Rebuilds DataSourceTable from DataSourcesView, one record per row in view order. Runs with ThrowAllErrors
// on: a view that does not open, a missing column or a value that is not text throws.
void LoadDataSources();

// The platform text of the first entry of the entry's value in the column titled valueName, cut to its first
// bytes bytes (a field keeps no more); empty when the value has no entries.
std::string GetEntryValue(const LNVFEntry& entry, const char* valueName, size_t bytes);

// Splits one "LookupFields" entry, "name=view", into a lookup. Runs of "=" separate the parts and leading
// ones are skipped; a part that is missing leaves its field empty, a third part is ignored.
LookupField SplitLookupEntry(const std::string& entry);
