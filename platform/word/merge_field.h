// The fields a merge evaluates: MERGEFIELD (a column's value), IF (a comparison choosing one of two texts),
// MERGEREC and MERGESEQ (record numbers), and NEXT, NEXTIF and SKIPIF (which move through the records),
// with the switches that shape a result.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace word {

// A field as a document holds it: its instruction, in which kNestedField marks each field nested in it (in
// order), and the text of its result as last shown.
struct FieldCode {
    std::string instruction;
    std::vector<FieldCode> nested;
    std::string result;
};
inline constexpr char kNestedField = '\x01';
// How deep fields nest in a field code that is kept: deeper ones keep only their result, so that however
// deeply a document nests fields, reading and evaluating them needs no deep stack.
inline constexpr size_t kMaxFieldNesting = 32;

struct MergeField;

// A text of a field's instruction (an IF's operand or result): literal text and nested fields.
struct FieldText {
    struct Part {
        std::string literal;
        std::shared_ptr<MergeField> field; // set for a nested field
    };
    std::vector<Part> parts;
};

struct MergeField {
    enum class Kind { Value, If, RecordNumber, SequenceNumber, Next, NextIf, SkipIf, Result };
    enum class Case { AsIs, Upper, Lower, Caps, FirstCap };

    Kind kind = Kind::Value;
    std::string name;       // Value: the column it names
    size_t nameIndex = 0;   // Value: the index of the name among those of the merge's body
    std::string comparison; // If, NextIf, SkipIf: the operator (=, <>, <, <=, >, >=), empty for none
    std::vector<FieldText> arguments; // If: the operands and the two texts; NextIf, SkipIf: the operands
    std::string result;               // Result: the result text of a field that is not evaluated

    Case textCase = Case::AsIs;
    std::string textBefore;                   // \b: inserted before a non-empty value
    std::string textAfter;                    // \f: inserted after a non-empty value
    std::optional<std::string> numberPicture; // \#
    std::optional<std::string> datePicture;   // \@

    // The fields that move through the records write nothing.
    bool MovesRecords() const { return kind == Kind::Next || kind == Kind::NextIf || kind == Kind::SkipIf; }
    // The text that replaces the field for a value: the pictures and the case applied, then for a
    // MERGEFIELD the \b and \f texts around a non-empty value.
    std::string Apply(std::string_view value) const;
};

// Reads a field; gives nullopt when it is of a type a merge does not evaluate (PAGE, DATE and the like),
// which keeps its result. Throws AutomationError when a MERGEFIELD names no field.
std::optional<MergeField> ParseField(const FieldCode& code);
// The same for an instruction without nested fields, such as: MERGEFIELD "First Name" \* Upper \b "Dear "
std::optional<MergeField> ParseMergeField(std::string_view instruction);

// The instruction of a field for name, quoted when the name needs it.
std::string MergeFieldInstruction(std::string_view name);

} // namespace word
