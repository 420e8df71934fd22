// The settings file as other programs leave it, values no line of it can hold, and several processes
// setting values in it at once.
#include "files/settings.h"
#include "testing/child_process.h"
#include "testing/store_fixture.h"

#include <filesystem>
#include <memory>
#include <vector>

namespace nnotes::testing {
namespace {

using SettingsFileTest = StoreTest;

TEST_F(SettingsFileTest, ASettingsFileSavedByNotepadIsReadAndKeepsItsForm) {
    const std::string before = "\xEF\xBB\xBF[Notes]\r\nUserName=CN=Ann/O=Acme\r\nDirectory=" + data_ +
                               "\r\n[Servers]\r\nBeta/Acme=beta\r\n";
    WriteSettings(before);
    char buf[MAXPATH];
    ASSERT_EQ(GetUserNameText(buf, sizeof buf), NOERROR);
    EXPECT_STREQ(buf, "CN=Ann/O=Acme");
    ASSERT_EQ(GetDataDirectory(buf, sizeof buf, nullptr), NOERROR);
    EXPECT_EQ(std::string(buf), data_);
    ASSERT_EQ(SetEnvironmentText("Timeout", "5"), NOERROR);
    std::string after = before;
    after.insert(after.find("[Servers]"), "Timeout=5\r\n");
    EXPECT_EQ(ReadFile(ini_), after);
    ASSERT_EQ(settings::Servers().size(), 1u);
    EXPECT_EQ(settings::Servers()[0].folder, root_ + "/beta");
}

TEST_F(SettingsFileTest, ANameOrValueNoLineCanHoldIsRefusedWithItsStatusAndChangesNothing) {
    WriteSettings("[Notes]\nUserName=Ann\n");
    EXPECT_EQ(settings::SetNotesValue("Name", std::string("one\0Directory=/etc", 18)), ERR_ENV_VALUE);
    EXPECT_EQ(settings::SetNotesValue("Name", std::string("one\nDirectory=/etc")), ERR_ENV_VALUE);
    EXPECT_EQ(settings::SetNotesValue("a=b", std::string("x")), ERR_ENV_NAME);
    EXPECT_EQ(settings::SetNotesValue(std::string("Na\0me", 5), std::string("x")), ERR_ENV_NAME);
    EXPECT_EQ(settings::SetNotesValue(" ;Name", std::nullopt), ERR_ENV_NAME);
    // Blanks around a name are no part of it; a name of nothing but blanks is no name.
    EXPECT_EQ(SetEnvironmentText("\v", "x"), ERR_ENV_NAME);
    EXPECT_EQ(ReadFile(ini_), "[Notes]\nUserName=Ann\n");
    ASSERT_EQ(SetEnvironmentText("\vPadded", "x"), NOERROR);
    char buf[8];
    ASSERT_EQ(GetEnvironmentText("Padded", buf, sizeof buf), NOERROR);
    EXPECT_STREQ(buf, "x");

    // A settings file that cannot be written is not a bad name.
    const std::string folder = root_ + "/folder.ini";
    std::filesystem::create_directories(folder);
    setenv("NOTES_INI", folder.c_str(), 1);
    EXPECT_EQ(SetEnvironmentText("Name", "x"), ERR_SETTINGS_WRITE);
    EXPECT_EQ(GetEnvironmentText("Name", buf, sizeof buf), ERR_ENV_NOT_SET);
}

TEST_F(SettingsFileTest, ProcessesSettingValuesAtOnceKeepEveryOnesValues) {
    WriteSettings("; kept\n[Notes]\nUserName=Ann\n[Servers]\nBeta/Acme=beta\n");
    constexpr int kProcesses = 3, kEach = 20;
    std::vector<std::unique_ptr<ChildProcess>> setters;
    for (int p = 0; p < kProcesses; ++p) {
        setters.push_back(std::make_unique<ChildProcess>(
            std::vector<std::string>{"set-env", "P" + std::to_string(p) + "_", std::to_string(kEach)}));
        ASSERT_EQ(setters.back()->ReadLine(), "ready");
    }
    for (auto& setter : setters)
        setter->Send("go");
    for (auto& setter : setters) {
        EXPECT_EQ(setter->ReadLine(), "set 0");
        EXPECT_EQ(setter->Wait(), 0);
    }
    char buf[16];
    for (int p = 0; p < kProcesses; ++p)
        for (int i = 0; i < kEach; ++i) {
            const std::string name = "P" + std::to_string(p) + "_" + std::to_string(i);
            ASSERT_EQ(GetEnvironmentText(name.c_str(), buf, sizeof buf), NOERROR) << name << " was lost";
            EXPECT_EQ(std::string(buf), std::to_string(i));
        }
    ASSERT_EQ(GetEnvironmentText("UserName", buf, sizeof buf), NOERROR);
    EXPECT_STREQ(buf, "Ann");
    EXPECT_EQ(ReadFile(ini_).rfind("; kept\n[Notes]\nUserName=Ann\n", 0), 0u);
    EXPECT_EQ(settings::Servers().size(), 1u);
}

} // namespace
} // namespace nnotes::testing
