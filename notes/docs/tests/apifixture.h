// What the document tests share: the status a call throws, texts as plain strings, and a fixture that starts
// the store and the object API in a test area of its own.
#pragma once

#include "ln/lnapi.h"
#include "ln/lnerrors.h"
#include "ln/lnstring.h"
#include "nnotes/process.h"
#include "nnotes/status.h"
#include "testsupport/test_area.h"

#include <gtest/gtest.h>

#include <string>

inline std::string Text(const LNString& s) {
    return std::string(s.GetPlatformTextPtr(), s.GetPlatformTextLength());
}

// The status that f throws; 0 when it throws none.
template <typename F>
LNSTATUS Thrown(F f) {
    try {
        f();
    } catch (LNSTATUS status) {
        return status;
    }
    return 0;
}

// The store and the object API started for each test; at the end no object may have outlived its handles.
class ApiTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(nnotes::InitProcess(0, nullptr), nnotes::NOERROR);
        ASSERT_EQ(LNInitAPI(LNAPI_VERSION), 0u);
    }
    void TearDown() override {
        LNSetThrowAllErrors(false);
        EXPECT_EQ(LNTermAPI(), 0u) << "an object outlived its handles";
        nnotes::TermProcess();
    }

    testsupport::TestArea area_;
};
