// The library's formula operations: compile, and start, evaluate and stop a computation.
#include "formula/formula_engine.h"
#include "formula/formula_error.h"
#include "memory/memory.h"
#include "process/process.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_map>

namespace nnotes {
namespace {

using formula::Program;

// Computations are reached through handles, so that a stale or made-up handle gives a status, never a crash.
// Each evaluation holds its own reference, so a computation stopped meanwhile finishes safely.
class Computations {
public:
    STATUS Add(std::shared_ptr<const Program> program, HCOMPUTE* handle) {
        std::lock_guard lock(mutex_);
        for (uint32_t tries = 0; tries < 1000; ++tries) {
            const HCOMPUTE h = next_++;
            if (h == 0 || map_.count(h) != 0) continue;
            map_.emplace(h, std::move(program));
            *handle = h;
            return NOERROR;
        }
        return ERR_NO_MORE_HANDLES;
    }
    std::shared_ptr<const Program> Find(HCOMPUTE h) {
        std::lock_guard lock(mutex_);
        const auto it = map_.find(h);
        return it == map_.end() ? nullptr : it->second;
    }
    bool Remove(HCOMPUTE h) {
        std::lock_guard lock(mutex_);
        return map_.erase(h) != 0;
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        map_.clear();
    }

private:
    std::mutex mutex_;
    HCOMPUTE next_ = 1;
    std::unordered_map<HCOMPUTE, std::shared_ptr<const Program>> map_;
};

// Never destroyed: the library may be ended from a static destructor after this table's own would have run.
Computations& TheComputations() {
    static auto* c = new Computations;
    return *c;
}

// Computations die with the process's use of the library, as every other handle does.
void ClearComputations() {
    TheComputations().Clear();
}

} // namespace

STATUS CompileFormula(const char* text, uint16_t textLength, DHANDLE* formula, uint16_t* formulaLength) {
    if (const STATUS started = RequireProcess(); started != NOERROR) return started;
    if (formula == nullptr || formulaLength == nullptr || (text == nullptr && textLength != 0))
        return formula::ReportPlain(ERR_FORMULA_BAD_ARGUMENT,
                                    "CompileFormula needs its text and both outputs");
    std::vector<uint8_t> compiled;
    STATUS s = formula::Compile(std::string_view(text == nullptr ? "" : text, textLength), &compiled);
    if (s == NOERROR) s = CopyToNewBlock(compiled.data(), compiled.size(), formula);
    if (s == NOERROR) *formulaLength = static_cast<uint16_t>(compiled.size());
    return s;
}

uint16_t LoadFormulaErrorText(char* buf, uint16_t size) {
    if (buf == nullptr || size == 0) return 0;
    const std::string& text = formula::LastErrorText();
    const size_t n = std::min<size_t>(text.size(), size - 1u);
    std::memcpy(buf, text.data(), n);
    buf[n] = '\0';
    return static_cast<uint16_t>(n);
}

STATUS ComputeStart(const void* formula, uint16_t formulaLength, HCOMPUTE* compute) {
    if (const STATUS started = RequireProcess(); started != NOERROR) return started;
    if (compute == nullptr)
        return formula::ReportPlain(ERR_FORMULA_BAD_ARGUMENT, "ComputeStart needs its output");
    auto program = std::make_shared<Program>();
    const STATUS s = formula::LoadCompiled(formula, formulaLength, program.get());
    if (s != NOERROR) return s;
    AtTermProcess(ClearComputations);
    return TheComputations().Add(std::move(program), compute);
}

STATUS ComputeEvaluate(HCOMPUTE compute, NOTEHANDLE note, DHANDLE* result, uint32_t* resultLength,
                       bool* noteMatches) {
    if (const STATUS started = RequireProcess(); started != NOERROR) return started;
    if ((result == nullptr) != (resultLength == nullptr))
        return formula::ReportPlain(ERR_FORMULA_BAD_ARGUMENT,
                                    "ComputeEvaluate needs both result outputs or neither");
    const auto program = TheComputations().Find(compute);
    if (program == nullptr)
        return formula::ReportPlain(ERR_FORMULA_BAD_HANDLE, "No such formula computation");
    std::unique_ptr<formula::FormulaNote> document;
    if (note != NULLHANDLE) {
        const STATUS s = formula::OpenFormulaNote(note, &document);
        if (s != NOERROR) return formula::ReportPlain(s, "The note handle gives no document");
    }
    formula::Outcome outcome;
    STATUS s = formula::Evaluate(*program, document.get(), &outcome);
    if (s != NOERROR) return s;
    if (result != nullptr) {
        std::vector<uint8_t> bytes;
        s = formula::EncodeValue(outcome.value, &bytes);
        if (s != NOERROR) return formula::ReportPlain(s, "Formula result does not fit an item");
        s = CopyToNewBlock(bytes.data(), bytes.size(), result);
        if (s != NOERROR) return s;
        *resultLength = static_cast<uint32_t>(bytes.size());
    }
    if (noteMatches != nullptr) *noteMatches = outcome.selected;
    return NOERROR;
}

STATUS ComputeStop(HCOMPUTE compute) {
    if (const STATUS started = RequireProcess(); started != NOERROR) return started;
    if (!TheComputations().Remove(compute))
        return formula::ReportPlain(ERR_FORMULA_BAD_HANDLE, "No such formula computation");
    return NOERROR;
}

} // namespace nnotes
