// The @functions that read nothing but their arguments.
#pragma once

#include "formula/formula_syntax.h"

#include <string>
#include <vector>

namespace nnotes::formula {

// On failure detail says what was wrong, for the caller to place in the formula.
STATUS CallFunction(Function f, const std::vector<Value>& args, Value* out, std::string* detail);

// @Text of one number: up to 15 significant digits, no trailing zeros.
std::string NumberText(double d);

} // namespace nnotes::formula
