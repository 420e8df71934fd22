// A MERGEFIELD field: the column it names and the switches that shape the inserted value.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace word {

struct MergeField {
    enum class Case { AsIs, Upper, Lower, Caps, FirstCap };

    std::string name;
    Case textCase = Case::AsIs;
    std::string textBefore; // \b: inserted before a non-empty value
    std::string textAfter;  // \f: inserted after a non-empty value

    // The text that replaces the field for a value.
    std::string Apply(std::string_view value) const;
};

// Reads a field instruction such as: MERGEFIELD "First Name" \* Upper \b "Dear " \* MERGEFORMAT
// Gives nullopt when the instruction is of another field type; throws AutomationError when a MERGEFIELD
// instruction names no field.
std::optional<MergeField> ParseMergeField(std::string_view instruction);

// The instruction of a field for name, quoted when the name needs it.
std::string MergeFieldInstruction(std::string_view name);

} // namespace word
