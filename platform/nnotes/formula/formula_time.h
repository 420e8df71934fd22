// Times in formulas, through the library's time services.
#pragma once

#include "nnotes/nnotes.h"

#include <string>

namespace nnotes::formula {

STATUS Now(Instant* out);
// Local midnight of the present day.
STATUS Today(Instant* out);
STATUS CompareTimes(const Instant& a, const Instant& b, int* result);
STATUS TimeText(const Instant& t, std::string* out);
// Elapsed time: t moved by seconds, and the seconds from b to a. Special instants have no place in time.
STATUS AddSeconds(const Instant& t, double seconds, Instant* out);
STATUS SecondsBetween(const Instant& a, const Instant& b, double* out);

} // namespace nnotes::formula
