#include "files/settings_names.h"
#include "testing/store_fixture.h"

#include <cstring>
#include <filesystem>
#include <vector>

namespace nnotes::testing {
namespace {

using SettingsTest = StoreTest;

TEST_F(SettingsTest, EnvironmentValuesAreReadAndWrittenBack) {
    WriteSettings("; comment\n[Notes]\nUserName=Someone\nMailServer=CN=Mail/O=Acme\nTimeout=42\n");
    char buf[MAXENVVALUE];
    ASSERT_EQ(GetEnvironmentText("mailserver", buf, sizeof buf), NOERROR); // names ignore case
    EXPECT_STREQ(buf, "CN=Mail/O=Acme");
    int32_t n = 0;
    ASSERT_EQ(GetEnvironmentInt("Timeout", &n), NOERROR);
    EXPECT_EQ(n, 42);
    EXPECT_EQ(GetEnvironmentText("Missing", buf, sizeof buf), ERR_ENV_NOT_SET);
    EXPECT_EQ(GetEnvironmentInt("Missing", &n), ERR_ENV_NOT_SET);

    ASSERT_EQ(SetEnvironmentText("Location", "Office (Network),CN=Alpha/O=Acme"), NOERROR);
    ASSERT_EQ(SetEnvironmentInt("Timeout", -7), NOERROR);
    ASSERT_EQ(GetEnvironmentText("Location", buf, sizeof buf), NOERROR);
    EXPECT_STREQ(buf, "Office (Network),CN=Alpha/O=Acme");
    ASSERT_EQ(GetEnvironmentInt("Timeout", &n), NOERROR);
    EXPECT_EQ(n, -7);
    // The rest of the file survives the rewrite.
    EXPECT_NE(ReadFile(ini_).find("; comment"), std::string::npos);
    EXPECT_NE(ReadFile(ini_).find("UserName=Someone"), std::string::npos);

    ASSERT_EQ(SetEnvironmentText("Location", nullptr), NOERROR);
    EXPECT_EQ(GetEnvironmentText("Location", buf, sizeof buf), ERR_ENV_NOT_SET);
}

TEST_F(SettingsTest, ValuesAreCutToTheCallersBuffer) {
    WriteSettings("[Notes]\nLong=abcdefghij\nWord=xyz\n");
    char buf[5];
    ASSERT_EQ(GetEnvironmentText("Long", buf, sizeof buf), NOERROR);
    EXPECT_STREQ(buf, "abcd");
    int32_t n = 5;
    ASSERT_EQ(GetEnvironmentInt("Word", &n), NOERROR);
    EXPECT_EQ(n, 0);
}

TEST_F(SettingsTest, NamesAndValuesThatWouldBreakTheFileAreRefused) {
    EXPECT_EQ(SetEnvironmentText("", "x"), ERR_ENV_NAME);
    EXPECT_EQ(SetEnvironmentText("a=b", "x"), ERR_ENV_NAME);
    EXPECT_EQ(SetEnvironmentText("[Servers]", "x"), ERR_ENV_NAME);
    EXPECT_EQ(SetEnvironmentText("two\nlines", "x"), ERR_ENV_NAME);
    EXPECT_EQ(SetEnvironmentText(";comment", "x"), ERR_ENV_NAME);
    EXPECT_EQ(SetEnvironmentText(nullptr, "x"), ERR_ENV_NAME);
    EXPECT_EQ(SetEnvironmentText("Name", "one\n[Servers]\nEvil=/"), ERR_ENV_VALUE);
    char buf[8];
    EXPECT_EQ(GetEnvironmentText(nullptr, buf, sizeof buf), ERR_ENV_NAME);
    EXPECT_EQ(GetEnvironmentInt("Name", nullptr), ERR_MISSING_ARGUMENT);
}

TEST_F(SettingsTest, SettingsFileAndFolderAreMadeOnFirstWrite) {
    const std::string ini = root_ + "/new/notes.ini";
    setenv("NOTES_INI", ini.c_str(), 1);
    ASSERT_EQ(SetEnvironmentText("First", "1"), NOERROR);
    EXPECT_EQ(ReadFile(ini), "[Notes]\nFirst=1\n");
}

TEST_F(SettingsTest, UserNameAndDataDirectory) {
    WriteSettings("[Notes]\nUserName=CN=Test User/O=Acme\n");
    char buf[MAXPATH];
    ASSERT_EQ(GetUserNameText(buf, sizeof buf), NOERROR);
    EXPECT_STREQ(buf, "CN=Test User/O=Acme");
    uint16_t length = 0;
    ASSERT_EQ(GetDataDirectory(buf, sizeof buf, &length), NOERROR);
    EXPECT_EQ(std::string(buf), data_); // default: "data" beside the settings file
    EXPECT_EQ(length, data_.size());

    WriteSettings("[Notes]\nDirectory=elsewhere\\sub\\\n"); // relative to the settings file, "\" as "/"
    ASSERT_EQ(GetDataDirectory(buf, sizeof buf, nullptr), NOERROR);
    EXPECT_EQ(std::string(buf), root_ + "/elsewhere/sub");
    EXPECT_EQ(GetUserNameText(buf, sizeof buf), ERR_NO_USER_NAME);
}

TEST(ServerNames, CanonicalAndAbbreviatedFormsMatchWithoutRegardToCase) {
    EXPECT_EQ(settings::AbbreviateName("CN=Alpha/OU=Sales/O=Acme"), "Alpha/Sales/Acme");
    EXPECT_EQ(settings::AbbreviateName("Alpha/Acme"), "Alpha/Acme");
    EXPECT_TRUE(settings::SameServerName("CN=Alpha/O=Acme", "alpha/ACME"));
    EXPECT_TRUE(settings::SameServerName("cn=alpha/o=acme", "CN=Alpha/O=Acme"));
    EXPECT_FALSE(settings::SameServerName("CN=Alpha/O=Acme", "Alpha/Other"));
    EXPECT_FALSE(settings::SameServerName("Alpha", "Alpha/Acme"));
}

TEST(ServerNames, ServerLinesDivideBehindCanonicalNames) {
    using settings::ServerLineSeparator;
    EXPECT_EQ(ServerLineSeparator("Alpha/Acme=/srv/a"), 10u);
    EXPECT_EQ(ServerLineSeparator("CN=Alpha/O=Acme=/srv/a"), 15u);
    EXPECT_EQ(ServerLineSeparator("CN=Alpha/O=Acme = /srv/a=b"), 16u);
    EXPECT_EQ(ServerLineSeparator("A=/srv/a"), 1u); // a one-letter name, not an attribute
    EXPECT_EQ(ServerLineSeparator("no separator"), std::string::npos);
}

class ServerListTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        std::filesystem::create_directories(root_ + "/alpha");
        WriteSettings("[Notes]\n[Servers]\nCN=Alpha/O=Acme=" + root_ + "/alpha\nBeta/Acme=beta\n");
    }
};

TEST_F(ServerListTest, ListHoldsCountLengthsAndNames) {
    DHANDLE list = NULLHANDLE;
    ASSERT_EQ(GetServerList(nullptr, &list), NOERROR);
    uint32_t size = 0;
    ASSERT_EQ(GetBlockSize(list, &size), NOERROR);
    std::vector<unsigned char> bytes(size);
    std::memcpy(bytes.data(), LockBlock(list), size);
    UnlockBlock(list);
    FreeBlock(list);
    const std::string names = "CN=Alpha/O=AcmeBeta/Acme";
    std::vector<unsigned char> expected = {2, 0, 15, 0, 9, 0};
    expected.insert(expected.end(), names.begin(), names.end());
    EXPECT_EQ(bytes, expected);
}

TEST_F(ServerListTest, ServersResolveInEitherFormAndUnknownOnesAreRefused) {
    std::filesystem::create_directories(root_ + "/alpha/Mail");
    char netpath[MAXPATH];
    ASSERT_EQ(BuildNetPath(nullptr, "Alpha/Acme", "mail\\names.nsf", netpath), NOERROR);
    DBHANDLE db = 0;
    // The folder is found through the abbreviated name and the case-insensitive component match; the file
    // itself is missing.
    EXPECT_EQ(OpenDatabase(netpath, &db), ERR_NOEXIST);
    ASSERT_EQ(BuildNetPath(nullptr, "CN=Gamma/O=Acme", "names.nsf", netpath), NOERROR);
    EXPECT_EQ(OpenDatabase(netpath, &db), ERR_SERVER_NOT_KNOWN);
    // Configured, but its folder is not there: unreachable.
    ASSERT_EQ(BuildNetPath(nullptr, "CN=Beta/O=Acme", "names.nsf", netpath), NOERROR);
    EXPECT_EQ(OpenDatabase(netpath, &db), ERR_SERVER_NOT_KNOWN);
}

TEST_F(SettingsTest, CallsAfterTermProcessAnswerWithAStatus) {
    ASSERT_EQ(TermProcess(), NOERROR);
    char buf[MAXPATH];
    int32_t n;
    DHANDLE list;
    EXPECT_EQ(GetEnvironmentText("UserName", buf, sizeof buf), ERR_NOT_INITIALIZED);
    EXPECT_EQ(GetEnvironmentInt("UserName", &n), ERR_NOT_INITIALIZED);
    EXPECT_EQ(SetEnvironmentText("A", "b"), ERR_NOT_INITIALIZED);
    EXPECT_EQ(GetUserNameText(buf, sizeof buf), ERR_NOT_INITIALIZED);
    EXPECT_EQ(GetDataDirectory(buf, sizeof buf, nullptr), ERR_NOT_INITIALIZED);
    EXPECT_EQ(GetServerList(nullptr, &list), ERR_NOT_INITIALIZED);
    EXPECT_EQ(BuildNetPath(nullptr, "s", "f", buf), ERR_NOT_INITIALIZED);
    EXPECT_EQ(SplitNetPath("s!!f", nullptr, nullptr, buf), ERR_NOT_INITIALIZED);
    ASSERT_EQ(InitProcess(0, nullptr), NOERROR); // for TearDown
}

} // namespace
} // namespace nnotes::testing
