// The formula engine inside the library: what the store gives it of a note, and what it gives the store.
// Not part of the public header.
#pragma once

#include "formula/formula_syntax.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace nnotes::formula {

// A document as a formula reads it.
class FormulaNote {
public:
    virtual ~FormulaNote() = default;
    // The value of the item of that name, matched without regard to case. ERR_ITEM_NOT_FOUND when the
    // note has no such item (the formula then reads ""); any other failure ends the evaluation with it.
    virtual STATUS GetItem(std::string_view name, Value* value) const = 0;
    virtual STATUS IsResponse(bool* response) const = 0;
    virtual STATUS GetCreated(Instant* when) const = 0;
    virtual STATUS GetModified(Instant* when) const = 0;
};

// The document behind a note handle of the store (never NULLHANDLE), or the status that tells why there is
// none.
STATUS OpenFormulaNote(NOTEHANDLE note, std::unique_ptr<FormulaNote>* out);

// The compiled form: the magic "QVFm", a 16-bit version, the 16-bit length of the formula text, then the
// text. Keeping the text lets every start re-parse it with the same checks as the compile, so stored bytes
// of any kind are safe to start.
constexpr size_t kCompiledHeader = 8;
constexpr size_t kMaxFormulaText = 0xFFFF - kCompiledHeader;
STATUS Compile(std::string_view text, std::vector<uint8_t>* compiled);
STATUS LoadCompiled(const void* compiled, size_t size, Program* program);

struct Outcome {
    Value value;           // of the last statement
    bool selected = false; // the SELECT statement's truth, or, without one, the value's
};

// Runs program against note (null: no document). Failures are reported with their place in the formula.
STATUS Evaluate(const Program& program, const FormulaNote* note, Outcome* outcome);

} // namespace nnotes::formula
