// What the document tests share: the status a call throws, texts as plain strings, and a fixture that starts
// the store and the object API over a temporary settings file.
#pragma once

#include "ln/lnapi.h"
#include "ln/lnerrors.h"
#include "ln/lnstring.h"
#include "startedapitest.h"
#include "testobjects.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

inline std::string Text(const LNString& s) {
    return std::string(s.GetPlatformTextPtr(), s.GetPlatformTextLength());
}

// A fresh temporary folder with a settings file (and a data folder), named by NOTES_INI while it lives.
class ScopedSettings {
public:
    ScopedSettings() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qvldocsXXXXXX").string();
        root_ = mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
        std::filesystem::create_directories(root_ + "/data");
        std::ofstream(root_ + "/notes.ini") << "[Notes]\nUserName=CN=Test User/O=Acme\n";
        setenv("NOTES_INI", (root_ + "/notes.ini").c_str(), 1);
    }
    ~ScopedSettings() {
        unsetenv("NOTES_INI");
        std::error_code ignored;
        if (!root_.empty()) std::filesystem::remove_all(root_, ignored);
    }
    ScopedSettings(const ScopedSettings&) = delete;
    ScopedSettings& operator=(const ScopedSettings&) = delete;

    bool IsReady() const { return !root_.empty(); }
    // The folder that holds notes.ini and data/.
    const std::string& Root() const { return root_; }

private:
    std::string root_;
};

class ApiTest : public StartedApiTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(settings_.IsReady());
        StartedApiTest::SetUp();
    }

    ScopedSettings settings_;
};
