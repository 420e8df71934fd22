// The last formula error of each thread.
#include "formula/formula_error.h"

namespace nnotes::formula {
namespace {

thread_local std::string tLastError;

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

} // namespace

STATUS Report(const Error& err, std::string_view source) {
    size_t line = 1;
    size_t column = 1;
    const size_t end = err.offset < source.size() ? err.offset : source.size();
    for (size_t i = 0; i < end; ++i) {
        const char c = source[i];
        // Stored formula texts hold their line feeds as NUL bytes.
        if (c == '\n' || c == '\0') {
            ++line;
            column = 1;
        } else if (c != '\r' && !IsContinuationByte(c)) {
            ++column;
        }
    }
    tLastError = err.detail + " (line " + std::to_string(line) + ", column " + std::to_string(column) + ")";
    return err.status;
}

STATUS ReportPlain(STATUS status, std::string_view detail) {
    tLastError.assign(detail);
    return status;
}

const std::string& LastErrorText() {
    return tLastError;
}

} // namespace nnotes::formula
