// A test fixture that starts the store and the object API in a test area of its own for each test and checks,
// at the end, that no object outlived its handles.
#pragma once

#include "ln/lnapi.h"
#include "ln/lnerrors.h"
#include "nnotes/process.h"
#include "nnotes/status.h"
#include "testsupport/test_area.h"

#include <gtest/gtest.h>

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
