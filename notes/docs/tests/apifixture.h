// What the document tests share: the status a call throws, texts as plain strings, and a fixture that starts
// the store and the object API over a temporary settings file.
#pragma once

#include "lnapi.h"
#include "lnerrors.h"
#include "lnstring.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

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

inline std::string Text(const LNString& s) {
    return std::string(s.GetPlatformTextPtr(), s.GetPlatformTextLength());
}

class ApiTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "qvlapiXXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        setenv("NOTES_INI", (root_ + "/notes.ini").c_str(), 1);
        ASSERT_EQ(nnotes::InitProcess(0, nullptr), nnotes::NOERROR);
        ASSERT_EQ(LNInitAPI(LNAPI_VERSION), 0u);
    }
    void TearDown() override {
        LNSetThrowAllErrors(false);
        EXPECT_EQ(LNTermAPI(), 0u) << "a body outlived its handles";
        nnotes::TermProcess();
        unsetenv("NOTES_INI");
        std::filesystem::remove_all(root_);
    }

    std::string root_;
};
