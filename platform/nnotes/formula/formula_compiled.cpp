// The compiled form of a formula.
#include "formula/formula_engine.h"
#include "formula/formula_error.h"
#include "util/coding.h"

#include <cstring>

namespace nnotes::formula {
namespace {

constexpr uint8_t kMagic[4] = {'Q', 'V', 'F', 'm'};
constexpr uint16_t kVersion = 1;

} // namespace

STATUS Compile(std::string_view text, std::vector<uint8_t>* compiled) {
    if (text.size() > kMaxFormulaText)
        return ReportPlain(ERR_FORMULA_TOO_LONG,
                           "Formula is longer than " + std::to_string(kMaxFormulaText) + " bytes");
    Program program;
    const STATUS s = Parse(std::string(text), &program);
    if (s != NOERROR) return s;
    const auto length = static_cast<uint16_t>(text.size());
    compiled->assign(std::begin(kMagic), std::end(kMagic));
    util::PutFixed16(compiled, kVersion);
    util::PutFixed16(compiled, length);
    compiled->insert(compiled->end(), text.begin(), text.end());
    return NOERROR;
}

STATUS LoadCompiled(const void* compiled, size_t size, Program* program) {
    const auto* p = static_cast<const uint8_t*>(compiled);
    if (p == nullptr || size < kCompiledHeader || std::memcmp(p, kMagic, sizeof kMagic) != 0)
        return ReportPlain(ERR_FORMULA_DAMAGED, "Not a compiled formula");
    if (util::DecodeFixed16(p + 4) != kVersion)
        return ReportPlain(ERR_FORMULA_DAMAGED, "Compiled formula of unknown version " +
                                                    std::to_string(util::DecodeFixed16(p + 4)));
    const size_t length = util::DecodeFixed16(p + 6);
    if (length > size - kCompiledHeader)
        return ReportPlain(ERR_FORMULA_DAMAGED, "Compiled formula is cut short");
    const STATUS s = Parse(std::string(reinterpret_cast<const char*>(p + kCompiledHeader), length), program);
    return s == NOERROR ? NOERROR
                        : ReportPlain(ERR_FORMULA_DAMAGED, "Compiled formula is damaged: " + LastErrorText());
}

} // namespace nnotes::formula
