// The text services answer only while the library is started.
#pragma once

#include "nnotes/nnotes.h"

#include <gtest/gtest.h>

namespace nnotes::testing {

class TextTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(InitProcess(0, nullptr), NOERROR); }
    void TearDown() override { TermProcess(); }
};

} // namespace nnotes::testing
