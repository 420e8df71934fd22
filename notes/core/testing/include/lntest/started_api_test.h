// What the object layer's tests share, in notes/core, notes/docs and notes/richtext: the status a call
// throws, and a fixture that starts the store and the object API in a test area of its own for each test and
// checks, at the end, that no object outlived its handles.
#pragma once

#include "ln/lnapi.h"
#include "ln/lnerrors.h"
#include "nnotes/process.h"
#include "nnotes/status.h"
#include "testsupport/test_area.h"

#include <gtest/gtest.h>

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

class StartedApiTest : public ::testing::Test {
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
