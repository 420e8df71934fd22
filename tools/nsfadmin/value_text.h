// Numbers and times written out as nsfadmin shows them, in dumps and in view listings alike.
#pragma once

#include "item_values.h"
#include "nnotes/timedate.h"

#include <string>

namespace nsfadmin {

// "2019-03-01T09:00:00Z" (with ".25" before the Z when there are hundredths); the special instants as the
// store's text of them ("Minimum Valid Date", ...).
std::string TimeText(const nnotes::Instant& time);

// Whole numbers without a fraction; others in the shortest form that reads back the same.
std::string NumberText(double number);

// A value's entries as text, list entries joined by ", ".
std::string ValueText(const ReadValue& value);

} // namespace nsfadmin
