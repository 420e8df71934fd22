// The last error text and the one place that reports a failure of the library.
#pragma once

#include "ln/lnstatus.h"

constexpr const char* kErrorCaption = "Notes Error, Contact your Administrator";
constexpr unsigned kErrorTextSize = 512;

// The last error text (at most kErrorTextSize - 1 bytes), as LastError hands it out.
extern char ErrorText[kErrorTextSize];

// Clears ErrorText. With show set, ErrorText gets the status's text, the session ends and the text is shown
// in a message box: what happens when the library cannot start or close.
void ReportNotesError(LNSTATUS status, bool show);
