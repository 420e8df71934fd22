// Formulas: any text is compiled or refused with a status, and a compiled formula, or any bytes given as
// one, is evaluated or refused with a status.
#include "nnotes/formula.h"
#include "nnotes/memblock.h"
#include "nnotes/process.h"
#include "nnotes/status.h"

#include <cstdint>
#include <cstring>

using namespace nnotes;

namespace {

void Evaluate(const void* compiled, uint16_t length) {
    HCOMPUTE compute = 0;
    if (ComputeStart(compiled, length, &compute) != NOERROR) return;
    DHANDLE result = NULLHANDLE;
    uint32_t resultLength = 0;
    bool matches = false;
    if (ComputeEvaluate(compute, NULLHANDLE, &result, &resultLength, &matches) == NOERROR) FreeBlock(result);
    ComputeStop(compute);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool started = InitProcess(0, nullptr) == NOERROR;
    if (!started || size == 0 || size > 4096) return 0;
    // The first byte chooses: formula text, or bytes that claim to be a compiled formula.
    const char* text = reinterpret_cast<const char*>(data + 1);
    const auto length = static_cast<uint16_t>(size - 1);
    if (data[0] & 1) {
        Evaluate(text, length);
        return 0;
    }
    DHANDLE formula = NULLHANDLE;
    uint16_t compiledLength = 0;
    if (CompileFormula(text, length, &formula, &compiledLength) != NOERROR) return 0;
    if (const void* compiled = LockBlock(formula)) {
        Evaluate(compiled, compiledLength);
        UnlockBlock(formula);
    }
    FreeBlock(formula);
    return 0;
}
