#include "ln/lnstatus.h"

#include "lnglobals.h"

LNSTATUS LNReturnOrThrow(LNSTATUS code) {
    if (LNIsError(code) && LNGlobal().ThrowAllErrors) throw code;
    return code;
}

LNSTATUS LNReturnOrThrowNotesStatus(uint32_t notesResult) {
    return LNReturnOrThrow(LNToNotesStatus(notesResult));
}

void LNSetThrowAllErrors(bool value) {
    LNGlobal().ThrowAllErrors = value;
}

bool LNGetThrowAllErrors() {
    return LNGlobal().ThrowAllErrors;
}

void LNClearThrowAllErrors() {
    LNGlobal().ThrowAllErrors = false;
}
