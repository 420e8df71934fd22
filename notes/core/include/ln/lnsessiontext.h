// Notes text in and out of LNString for the calls of the Notes client library (internal to the object core).
#pragma once

#include "ln/lnstring.h"

// The string's Notes text, terminated.
inline const char* LNNotesText(const LNString& string) {
    return reinterpret_cast<const char*>(string.GetTextPtr());
}

// A string holding terminated Notes text as it is.
inline LNString LNNotesString(const char* text) {
    return LNString(reinterpret_cast<const LNUCHAR*>(text));
}
