// For the benchmarks that call the store: a failed call is reported with its status and message.
#pragma once

#include "nnotes/status.h"

#include <cstdio>

namespace bench {

// True for NOERROR; otherwise prints what failed and the store's message on stderr.
inline bool Check(nnotes::STATUS s, const char* what) {
    if (s == nnotes::NOERROR) return true;
    char text[256];
    nnotes::LoadNotesMessage(s, text, sizeof text);
    std::fprintf(stderr, "%s failed: 0x%04X %s\n", what, s, text);
    return false;
}

} // namespace bench
