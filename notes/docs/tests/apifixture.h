// What the document tests share: the status a call throws, texts as plain strings, and a fixture that starts
// the store and the object API in a test area of its own.
#pragma once

#include "ln/lnapi.h"
#include "ln/lnerrors.h"
#include "ln/lnstring.h"
#include "lntest/started_api_test.h"
#include "nnotes/process.h"
#include "nnotes/status.h"

#include <gtest/gtest.h>

#include <string>

inline std::string Text(const LNString& s) {
    return std::string(s.GetPlatformTextPtr(), s.GetPlatformTextLength());
}

// The store and the object API started for each test.
using ApiTest = StartedApiTest;
