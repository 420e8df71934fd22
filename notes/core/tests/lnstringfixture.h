// Text tests run with the store and the object API started, and look at texts as plain byte strings.
#pragma once

#include "ln/lnapi.h"
#include "ln/lnstring.h"
#include "lntest/started_api_test.h"

#include <gtest/gtest.h>

#include <string>

class TextTest : public StartedApiTest {};

// The Notes bytes of a string.
inline std::string Bytes(const LNString& s) {
    return std::string(reinterpret_cast<const char*>(s.GetTextPtr()), s.GetByteLength());
}

inline const LNUCHAR* Notes(const char* text) {
    return reinterpret_cast<const LNUCHAR*>(text);
}
