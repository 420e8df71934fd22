// Start and end of the object API, and its fixed identification values.
#pragma once

#include "ln/lnstatus.h"

constexpr uint32_t LNAPI_VERSION = 401;

// Starts the API (nested starts are counted). Only the first caller's version is checked: one other than
// LNAPI_VERSION gives LNERR_INCOMPATIBLE_API and leaves the API not started. The first start installs the
// terminate handler.
LNSTATUS LNInitAPI(uint32_t version);

// Ends one start. The last end clears ThrowAllErrors and deletes every object still listed on the heap,
// returning LNWARN_UNDELETED_OBJECTS when there were any. Without a start: LNERR_SESSION_NOT_INITIALIZED.
// Never throws.
LNSTATUS LNTermAPI();

bool LNIsAPIInitialized();

uint32_t LNGetAPIVersion();
const char* LNGetAPIBanner();
const char* LNGetPlatformName();

// Installs LNTerminateHandler as the process's terminate handler. Returns 0.
LNSTATUS LNInstallHandlers();

// Ends the API after an unhandled exception and exits with LNERR_TERMINATE_CALLED.
[[noreturn]] void LNTerminateHandler();

// Marks the API aborted, ends it, writes the full status to stderr (an exit status keeps only its low 8
// bits) and exits the process with code.
[[noreturn]] void LNAbortAPI(LNSTATUS code);
