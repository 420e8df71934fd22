// A started library over a temporary settings file and data directory, removed again after each test.
#pragma once

#include "nnotes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace nnotes::testing {

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "nnotes-store-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        ini_ = root_ + "/notes.ini";
        data_ = root_ + "/data";
        std::filesystem::create_directories(data_);
        WriteSettings("[Notes]\nUserName=CN=Test User/O=Acme\n");
        ASSERT_EQ(InitProcess(0, nullptr), NOERROR);
    }

    void TearDown() override {
        TermProcess();
        unsetenv("NOTES_INI");
        std::filesystem::remove_all(root_);
    }

    // Replaces the settings file and points NOTES_INI at it.
    void WriteSettings(const std::string& text) {
        std::ofstream(ini_, std::ios::binary | std::ios::trunc) << text;
        setenv("NOTES_INI", ini_.c_str(), 1);
    }

    static std::string ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::string root_, ini_, data_;
};

} // namespace nnotes::testing
