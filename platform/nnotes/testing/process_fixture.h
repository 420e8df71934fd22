// A test whose library is started for it and stopped after it, so that nothing it allocates outlives it.
#pragma once

#include "nnotes/nnotes.h"

#include <gtest/gtest.h>

namespace nnotes {

class StartedProcess : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(InitProcess(0, nullptr), NOERROR); }
    void TearDown() override { ASSERT_EQ(TermProcess(), NOERROR); }
};

} // namespace nnotes
