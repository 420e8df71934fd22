// The text a caller sees for a view column value.
#pragma once

#include "ln/lnitem.h"

#include <string>

// The first entry of a text, number, date/time or date/time range value as platform text, empty when the
// value has no entries. Numbers and times are written with the session's international settings. Any other
// kind of value throws LNERR_CONVERSION, so that the caller can treat the row as unreadable.
std::string FirstEntryValueText(const LNItem& value);
