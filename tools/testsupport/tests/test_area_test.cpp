// The test area as the store sees it, and what it leaves behind: the environment of the test as it was
// before, and no folder.
#include "nnotes/database.h"
#include "nnotes/process.h"
#include "nnotes/settings.h"
#include "nnotes/status.h"
#include "testsupport/test_area.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

namespace testsupport {
namespace {

std::optional<std::string> Variable(const char* name) {
    if (const char* value = std::getenv(name)) return std::string(value);
    return std::nullopt;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// Sets (or, with nullopt, removes) a variable for as long as it lives, and puts it back after.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::optional<std::string>& value)
        : name_(name), previous_(Variable(name)) {
        Set(value);
    }
    ~ScopedVariable() { Set(previous_); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    void Set(const std::optional<std::string>& value) {
        if (value)
            setenv(name_, value->c_str(), 1);
        else
            unsetenv(name_);
    }
    const char* name_;
    std::optional<std::string> previous_;
};

class StartedStore : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(nnotes::InitProcess(0, nullptr), nnotes::NOERROR); }
    void TearDown() override { nnotes::TermProcess(); }

    static std::string Environment(const char* name) {
        char buf[nnotes::MAXENVVALUE];
        return nnotes::GetEnvironmentText(name, buf, sizeof buf) == nnotes::NOERROR ? buf : "<unset>";
    }
    static std::string UserName() {
        char buf[nnotes::MAXPATH];
        return nnotes::GetUserNameText(buf, sizeof buf) == nnotes::NOERROR ? buf : "<none>";
    }
};

TEST(TestAreaLifetime, NotesIniAndHomeNameTheAreaWhileItLives) {
    const ScopedVariable ini("NOTES_INI", "/nonexistent/outer.ini");
    const ScopedVariable home("HOME", "/nonexistent/home");
    std::string root;
    {
        TestArea area;
        root = area.Root();
        EXPECT_EQ(Variable("NOTES_INI"), area.SettingsFile());
        EXPECT_EQ(Variable("HOME"), area.HomeDirectory());
        EXPECT_EQ(area.SettingsFile(), root + "/notes.ini");
        EXPECT_TRUE(std::filesystem::is_directory(area.DataDirectory()));
        EXPECT_TRUE(std::filesystem::is_directory(area.HomeDirectory()));
        EXPECT_TRUE(std::filesystem::is_regular_file(area.SettingsFile()));
        EXPECT_NE(root.find(std::filesystem::temp_directory_path().string()), std::string::npos);
    }
    EXPECT_EQ(Variable("NOTES_INI"), "/nonexistent/outer.ini");
    EXPECT_EQ(Variable("HOME"), "/nonexistent/home");
    EXPECT_FALSE(std::filesystem::exists(root)) << "the folder goes with the area, databases and all";
}

TEST(TestAreaLifetime, VariablesThatWereUnsetAreUnsetAgain) {
    const ScopedVariable ini("NOTES_INI", std::nullopt);
    const ScopedVariable home("HOME", std::nullopt);
    { TestArea area; }
    EXPECT_EQ(Variable("NOTES_INI"), std::nullopt);
    EXPECT_EQ(Variable("HOME"), std::nullopt);
}

TEST(TestAreaLifetime, AnInnerAreaHandsTheVariablesBack) {
    TestArea outer;
    {
        TestArea inner;
        EXPECT_NE(inner.Root(), outer.Root());
        EXPECT_EQ(Variable("NOTES_INI"), inner.SettingsFile());
    }
    EXPECT_EQ(Variable("NOTES_INI"), outer.SettingsFile());
    EXPECT_EQ(Variable("HOME"), outer.HomeDirectory());
    EXPECT_TRUE(std::filesystem::is_regular_file(outer.SettingsFile()));
}

using TestAreaSettings = StartedStore;

TEST_F(TestAreaSettings, TheStoreReadsTheAreasDataDirectoryAndUser) {
    TestArea area;
    char buf[nnotes::MAXPATH];
    ASSERT_EQ(nnotes::GetDataDirectory(buf, sizeof buf, nullptr), nnotes::NOERROR);
    EXPECT_EQ(std::string(buf), area.DataDirectory());
    EXPECT_EQ(UserName(), "CN=Test User/O=Acme");

    area.SetUserName("CN=Jane Doe/O=Acme");
    area.SetNotesLines("MailFile=mail/jdoe.nsf\nPorts=TCPIP\n");
    EXPECT_EQ(UserName(), "CN=Jane Doe/O=Acme");
    EXPECT_EQ(Environment("MailFile"), "mail/jdoe.nsf");
    EXPECT_EQ(Environment("Ports"), "TCPIP");
    area.SetUserName("CN=Ann Lee/O=Acme");
    EXPECT_EQ(Environment("MailFile"), "mail/jdoe.nsf") << "a new user keeps the other lines";
}

TEST_F(TestAreaSettings, ServersLieInFoldersOfTheirOwnOrTheOnesGiven) {
    TestArea area;
    const std::string alpha = area.AddServer("Alpha/Acme");
    const std::string beta = area.AddServer("CN=Beta/O=Acme");
    const std::string given = area.Root() + "/elsewhere";
    EXPECT_EQ(area.AddServer("Gamma/Acme", given), given);
    EXPECT_NE(alpha, beta);
    for (const std::string& folder : {alpha, beta, given})
        EXPECT_TRUE(std::filesystem::is_directory(folder)) << folder;

    ASSERT_EQ(area.Build(R"({"server": "Beta/Acme", "path": "mail/box.nsf", "documents": []})"), "");
    EXPECT_TRUE(std::filesystem::is_regular_file(beta + "/mail/box.nsf"));
    ASSERT_EQ(area.Build(R"({"server": "Gamma/Acme", "path": "g.nsf", "documents": []})"), "");
    EXPECT_TRUE(std::filesystem::is_regular_file(given + "/g.nsf"));
    area.SetNotesLines("Timeout=5\n");
    char netpath[nnotes::MAXPATH];
    ASSERT_EQ(nnotes::BuildNetPath(nullptr, "Alpha/Acme", "none.nsf", netpath), nnotes::NOERROR);
    nnotes::DBHANDLE db = 0;
    EXPECT_EQ(nnotes::OpenDatabase(netpath, &db), nnotes::ERR_NOEXIST) << "the server stays configured";
}

TEST_F(TestAreaSettings, DatabasesAreBuiltInTheDataDirectoryAndBadOnesNamed) {
    TestArea area;
    ASSERT_EQ(area.Build(R"({"path": "sub/a.nsf", "documents": [{"Subject": "Hi"}]})"), "");
    EXPECT_TRUE(std::filesystem::is_regular_file(area.DataDirectory() + "/sub/a.nsf"));
    const std::string error = area.Build(R"({"path": "b.nsf", "documents": [)");
    EXPECT_NE(error.find("<test description>"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(area.DataDirectory() + "/b.nsf"));
}

TEST_F(TestAreaSettings, SettingsTextIsWrittenAsGivenUntilTheAreaWritesItsOwnAgain) {
    TestArea area;
    area.WriteSettingsText("; for the store's own tests\n[Notes]\nUserName=Someone\n");
    EXPECT_EQ(ReadFile(area.SettingsFile()), "; for the store's own tests\n[Notes]\nUserName=Someone\n");
    EXPECT_EQ(UserName(), "Someone");
    area.SetNotesLines("");
    EXPECT_EQ(ReadFile(area.SettingsFile()),
              "[Notes]\nDirectory=" + area.DataDirectory() + "\nUserName=CN=Test User/O=Acme\n[Servers]\n");
}

} // namespace
} // namespace testsupport
