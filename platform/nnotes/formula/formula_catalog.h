// The @functions that formulas may call, with the arguments each one takes.
#pragma once

#include "formula/formula_syntax.h"

#include <string_view>

namespace nnotes::formula {

struct FunctionInfo {
    std::string_view name; // as documented, with its @
    Function id;
    int minArgs;
    int maxArgs; // -1: no upper bound
};

// The @function of that name, in any case; null when there is none.
const FunctionInfo* FindFunction(std::string_view name);

} // namespace nnotes::formula
