#include "ln/lnapi.h"

#include "ln/lnerrors.h"
#include "ln/lnheap.h"
#include "lnglobals.h"

LNSTATUS LNInitAPI(uint32_t version) {
    LNGlobals& g = LNGlobal();
    if (g.StartCount++ > 0) return LNNOERROR;
    if (version != LNAPI_VERSION) {
        --g.StartCount;
        return LNERR_INCOMPATIBLE_API;
    }
    return LNInstallHandlers();
}

LNSTATUS LNTermAPI() {
    LNGlobals& g = LNGlobal();
    if (g.StartCount == 0) return LNERR_SESSION_NOT_INITIALIZED;
    if (--g.StartCount > 0) return LNNOERROR;
    LNClearThrowAllErrors();
    try {
        return LNDeleteAllObjects() > 0 ? LNWARN_UNDELETED_OBJECTS : LNNOERROR;
    } catch (LNSTATUS status) {
        return status;
    }
}

bool LNIsAPIInitialized() {
    return LNGlobal().StartCount > 0;
}

uint32_t LNGetAPIVersion() {
    return LNAPI_VERSION;
}

const char* LNGetAPIBanner() {
    return "Quorvel Notes object API, Release 4.01";
}

const char* LNGetPlatformName() {
    return "Windows/32";
}
