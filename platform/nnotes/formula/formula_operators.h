// The operators of formulas over list values. Lists combine pair by pair; the shorter list repeats its
// last entry. A comparison is true when any pair satisfies it.
#pragma once

#include "formula/formula_syntax.h"

#include <string>

namespace nnotes::formula {

// On failure detail says what was wrong, for the caller to place in the formula.
STATUS ApplyOperator(Op op, const Value& a, const Value& b, Value* out, std::string* detail);
STATUS ApplyNegate(const Value& v, Value* out, std::string* detail);

// A number value is true when any of its entries is not 0; other values are not truth values.
STATUS TruthOf(const Value& v, bool* out, std::string* detail);

// What a formula writer reads when a value is not of the type an operation takes.
std::string TypeExpected(ValueType wanted);

} // namespace nnotes::formula
