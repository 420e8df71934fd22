// Text operations of formulas, on Notes text (UTF-8) through the library's character services. Every text of
// a formula fits an item entry: at most kMaxText bytes.
#pragma once

#include "formula/formula_value.h"

#include <string>

namespace nnotes::formula {

enum class CaseMapping { Upper, Lower, Proper };
STATUS MapCase(const std::string& in, CaseMapping mapping, std::string* out);

// Without regard to case, in collation order: *result < 0, 0 or > 0.
STATUS CompareTexts(const std::string& a, const std::string& b, int* result);

// The first or last count characters (all of them when there are fewer).
STATUS LeftChars(const std::string& in, double count, std::string* out);
STATUS RightChars(const std::string& in, double count, std::string* out);

// Leading and trailing spaces dropped, inner runs of spaces made one.
std::string TrimSpaces(const std::string& in);

} // namespace nnotes::formula
