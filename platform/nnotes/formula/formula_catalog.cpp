// The table of @functions.
#include "formula/formula_catalog.h"

namespace nnotes::formula {
namespace {

constexpr FunctionInfo kFunctions[] = {
    {"@All", Function::All, 0, 0},
    {"@Begins", Function::Begins, 2, 2},
    {"@Contains", Function::Contains, 2, 2},
    {"@Created", Function::Created, 0, 0},
    {"@Elements", Function::Elements, 1, 1},
    {"@If", Function::If, 3, -1},
    {"@Implode", Function::Implode, 1, 2},
    {"@IsResponseDoc", Function::IsResponseDoc, 0, 0},
    {"@Left", Function::Left, 2, 2},
    {"@LowerCase", Function::LowerCase, 1, 1},
    {"@Modified", Function::Modified, 0, 0},
    {"@Now", Function::Now, 0, 0},
    {"@ProperCase", Function::ProperCase, 1, 1},
    {"@Right", Function::Right, 2, 2},
    {"@Text", Function::Text, 1, 1},
    {"@Today", Function::Today, 0, 0},
    {"@Trim", Function::Trim, 1, 1},
    {"@UpperCase", Function::UpperCase, 1, 1},
};

} // namespace

const FunctionInfo* FindFunction(std::string_view name) {
    const std::string folded = FoldName(name);
    for (const auto& f : kFunctions)
        if (FoldName(f.name) == folded) return &f;
    return nullptr;
}

} // namespace nnotes::formula
