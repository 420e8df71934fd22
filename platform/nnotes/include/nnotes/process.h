// libnnotes process and threads: a program starts the library with InitProcess before it uses it and ends
// its use with TermProcess, which releases everything the library still holds for the process; further
// threads bracket their work with InitThread and TermThread.
#pragma once

#include "nnotes/status.h"

namespace nnotes {

// The library works between InitProcess and the matching TermProcess. Starts nest: only the TermProcess that
// matches the first InitProcess ends the process's use of the library, and it releases everything the library
// still holds for it (memory blocks, ID tables, open databases); handles from before are dead after it, also
// when the library is started again. Every call made while the library is not started answers
// ERR_NOT_INITIALIZED, but for the on-disk structure conversions and the text list readers, which hold
// nothing.
constexpr STATUS ERR_NOT_INITIALIZED = 0x0001;        // the library has not been initialised
constexpr STATUS ERR_THREAD_NOT_INITIALIZED = 0x0002; // TermThread without a matching InitThread
constexpr STATUS ERR_MISSING_ARGUMENT = 0x0003;       // a required pointer argument is null

// argc and argv are the program's command line; the library takes no options from it.
STATUS InitProcess(int argc, char** argv);
STATUS TermProcess();
// A further thread brackets its work with these once the process is started; they nest per thread.
STATUS InitThread();
STATUS TermThread();

} // namespace nnotes
