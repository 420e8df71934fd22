// What went wrong in a formula, and where: kept per thread so that callers can fetch the detailed text
// after a status.
#pragma once

#include "nnotes/nnotes.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace nnotes::formula {

struct Error {
    STATUS status = NOERROR;
    size_t offset = 0;  // byte offset into the formula text
    std::string detail; // the problem, in the words a formula writer understands
};

// Remembers err as this thread's last formula error, its text naming the problem and its line and column
// in source, and returns err.status.
STATUS Report(const Error& err, std::string_view source);

// Remembers a failure that no position within a formula explains.
STATUS ReportPlain(STATUS status, std::string_view detail);

const std::string& LastErrorText();

} // namespace nnotes::formula
