#include "ln/lnapi.h"
#include "ln/lnerrors.h"
#include "lnglobals.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

LNSTATUS LNInstallHandlers() {
    std::set_terminate(LNTerminateHandler);
    return LNNOERROR;
}

void LNTerminateHandler() {
    LNAbortAPI(LNERR_TERMINATE_CALLED);
}

void LNAbortAPI(LNSTATUS code) {
    LNGlobals& g = LNGlobal();
    // A destructor that fails while the API ends would come back here: then only the exit is left.
    if (!g.Aborted) {
        g.Aborted = true;
        LNTermAPI();
    }
    const char* text = LNGetMessageText(code);
    std::fprintf(stderr, "Notes API ended abnormally: status 0x%08X (%s)\n", static_cast<unsigned>(code),
                 text != nullptr ? text : "");
    std::fflush(nullptr);
    std::_Exit(static_cast<int>(code & 0xFFu));
}
