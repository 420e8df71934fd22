#include "ln/lnapi.h"
#include "ln/lnerrors.h"
#include "ln/lnheap.h"
#include "testobjects.h"

#include <gtest/gtest.h>

#include <exception>

namespace {

TEST(ApiLifetimeTest, NestedStartsCheckOnlyTheFirstVersion) {
    ASSERT_FALSE(LNIsAPIInitialized());
    EXPECT_EQ(LNInitAPI(400), LNERR_INCOMPATIBLE_API);
    EXPECT_FALSE(LNIsAPIInitialized());

    EXPECT_EQ(LNInitAPI(LNAPI_VERSION), 0u);
    EXPECT_EQ(LNInitAPI(999), 0u) << "a nested start is not checked";
    EXPECT_TRUE(LNIsAPIInitialized());
    EXPECT_EQ(LNTermAPI(), 0u);
    EXPECT_TRUE(LNIsAPIInitialized());
    EXPECT_EQ(LNTermAPI(), 0u);
    EXPECT_FALSE(LNIsAPIInitialized());
    EXPECT_EQ(LNTermAPI(), LNERR_SESSION_NOT_INITIALIZED);
}

TEST(ApiLifetimeTest, LastEndClearsTheSwitchAndReportsLeftoverObjects) {
    ASSERT_EQ(LNInitAPI(LNAPI_VERSION), 0u);
    LNSetThrowAllErrors(true);
    Tally tally;
    new FakeObject(&tally);
    new FakeObject(&tally);
    EXPECT_EQ(LNTermAPI(), LNWARN_UNDELETED_OBJECTS) << "returned, not thrown";
    EXPECT_FALSE(LNGetThrowAllErrors());
    EXPECT_EQ(tally.deleted, 2);

    ASSERT_EQ(LNInitAPI(LNAPI_VERSION), 0u);
    EXPECT_EQ(LNTermAPI(), 0u) << "nothing left this time";
}

TEST(ApiLifetimeTest, FixedValues) {
    EXPECT_EQ(LNGetAPIVersion(), 401u);
    EXPECT_STREQ(LNGetPlatformName(), "Windows/32");
    EXPECT_NE(std::string(LNGetAPIBanner()).find("4.01"), std::string::npos);
}

TEST(ApiLifetimeDeathTest, TerminateEndsTheApiWithItsStatus) {
    EXPECT_EXIT(
        {
            LNInitAPI(LNAPI_VERSION);
            new FakeObject;
            std::terminate();
        },
        ::testing::ExitedWithCode(7), "0xC0000007 \\(terminate\\(\\) function called\\)");
}

} // namespace
