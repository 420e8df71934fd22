// The library's own view of the process lifetime: the other areas check it on entry and hand it what they
// must release when the process stops using the library.
#pragma once

#include "nnotes/nnotes.h"

namespace nnotes {

// NOERROR while the library is started, ERR_NOT_INITIALIZED before InitProcess and after the last
// TermProcess. Cheap enough for every entry point.
STATUS RequireProcess();

// Registers a function that drops an area's process-wide state (open databases, caches) at the last
// TermProcess. Such functions run newest first, while the library still counts as started so that they may
// free their memory blocks; the blocks that are still allocated after them are released. Registering the
// same function again keeps one entry.
void AtTermProcess(void (*release)());

} // namespace nnotes
