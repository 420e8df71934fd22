// ThrowAllErrors is switched on for one piece of work and off again however that work ends, so that a
// status thrown through it never leaves the switch on for the exports that rely on returned statuses.
#pragma once

#include "ln/lnstatus.h"

class ThrowAllErrorsOn {
public:
    ThrowAllErrorsOn() { LNSetThrowAllErrors(true); }
    ~ThrowAllErrorsOn() { LNSetThrowAllErrors(false); }
    ThrowAllErrorsOn(const ThrowAllErrorsOn&) = delete;
    ThrowAllErrorsOn& operator=(const ThrowAllErrorsOn&) = delete;
};
