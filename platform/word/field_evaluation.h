// Evaluating the fields of a merge for a record.
#pragma once

#include "data_source.h"
#include "merge_field.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace word {

// Where a merge stands: the record whose values fields take (past the last record every value is empty),
// and the number of records merged up to and with it.
struct MergeState {
    const DataSource& data;
    const std::vector<size_t>& columns; // the column of each name of the body's fields
    size_t record;
    size_t sequence;
};

// The text a field writes, its switches applied.
std::string Evaluate(const MergeField& field, const MergeState& state);

// Whether the comparison of an IF, NEXTIF or SKIPIF holds. Two numbers compare as numbers; other texts
// compare character by character, and = and <> match a right-hand side with the wildcards * (any text) and
// ? (any one character). An IF without an operator holds when its expression is neither empty nor 0.
bool Holds(const MergeField& field, const MergeState& state);

// A text that reads as a number: digits with an optional sign, decimal point and thousands separators
// (in groups of three), blanks around it allowed.
std::optional<double> ReadNumber(std::string_view text);

} // namespace word
