// The user's documents folder under every setting of HOME, XDG_CONFIG_HOME and the user's dirs file that a
// user or a starter of the program may leave: unset, empty, relative, odd, hostile.
#include "child_run.h"
#include "profile_files.h"

#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>

namespace ostest {
namespace {

namespace fs = std::filesystem;

// Sets an environment variable (nullptr: unsets it) and puts back what was there when it ends.
class Setting {
public:
    Setting(const char* name, const char* value) : name_(name) {
        const char* old = std::getenv(name);
        had_ = old != nullptr;
        if (had_) old_ = old;
        Set(value);
    }
    ~Setting() { Set(had_ ? old_.c_str() : nullptr); }
    Setting(const Setting&) = delete;
    Setting& operator=(const Setting&) = delete;

    void Set(const char* value) const {
        if (value)
            setenv(name_.c_str(), value, 1);
        else
            unsetenv(name_.c_str());
    }

private:
    std::string name_, old_;
    bool had_ = false;
};

// A home folder of the test's own with its dirs file, and the test's folder as the current one (where
// relative settings would be read).
class DocumentsFolder : public ProfileFiles {
protected:
    void SetUp() override {
        ProfileFiles::SetUp();
        previous_ = fs::current_path();
        fs::current_path(dir_);
        fs::create_directories(dir_ / "home" / ".config");
        fs::create_directories(dir_ / "home" / "Documents");
        home_ = (dir_ / "home").string();
        homeSetting_.Set(home_.c_str());
    }
    void TearDown() override {
        fs::current_path(previous_);
        ProfileFiles::TearDown();
    }

    void WriteDirs(const std::string& text) const { Write("home/.config/user-dirs.dirs", text); }
    std::string Documents() const { return home_ + "/Documents"; }

    // What a program started now would be told, bounded in time.
    static std::string InAProgram() {
        const ChildEnd end = RunChild(HelperProgram(), {"os_test_helper", "documents-folder"}, 10000);
        EXPECT_TRUE(end.ExitedWith(0)) << (end.ended ? "status " + std::to_string(end.status) : "hung");
        return end.output;
    }

    std::string home_;
    fs::path previous_;
    Setting homeSetting_{"HOME", nullptr};
    Setting configSetting_{"XDG_CONFIG_HOME", nullptr};
};

TEST_F(DocumentsFolder, TheDirsFileIsReadAsTheShellWouldReadIt) {
    fs::create_directories(dir_ / "home" / "My Docs");
    fs::create_directories(dir_ / "home" / "Later");
    fs::create_directories(dir_ / "elsewhere");
    const std::string myDocs = home_ + "/My Docs";
    const struct {
        std::string dirs, expected;
    } cases[] = {
        {"XDG_DOCUMENTS_DIR=\"$HOME/My Docs\"\n", myDocs},
        {"# written by an editor\r\nXDG_DOCUMENTS_DIR=\"$HOME/My Docs\"\r\n", myDocs},
        {"  XDG_DOCUMENTS_DIR=\"$HOME/My Docs/\"   # the user's own\n", myDocs},
        {"XDG_DOCUMENTS_DIR=$HOME/Later\n", home_ + "/Later"},
        {"XDG_DOCUMENTS_DIR=\"" + (dir_ / "elsewhere").string() + "\"\n", (dir_ / "elsewhere").string()},
        {"XDG_DOCUMENTS_DIR=\"$HOME\"\n", home_},
        // Set twice: the last setting counts.
        {"XDG_DOCUMENTS_DIR=\"$HOME/My Docs\"\nXDG_DOCUMENTS_DIR=\"$HOME/Later\"\n", home_ + "/Later"},
        // Settings that name no folder of the user's fall back to $HOME/Documents.
        {"XDG_DOCUMENTS_DIR=\"$HOME/Missing\"\n", Documents()},
        {"XDG_DOCUMENTS_DIR=\"\"\n", Documents()},
        {"XDG_DOCUMENTS_DIR=\"$HOME/My Docs\n", Documents()},
        {"XDG_DESKTOP_DIR=\"$HOME/My Docs\"\n", Documents()},
        {std::string("XDG_DOCUMENTS_DIR=\"$HOME/My Docs") + '\0' + "/elsewhere\"\n", Documents()},
        {"XDG_DOCUMENTS_DIR=\"elsewhere\"\n", Documents()},
        {"XDG_DOCUMENTS_DIR=\"$HOMEelsewhere\"\n", Documents()},
        {"XDG_DOCUMENTS_DIR=\"\xff\xfe$HOME\"\n", Documents()},
        {std::string(100000, 'x') + "\n", Documents()},
    };
    fs::create_directories(home_ + "elsewhere"); // what "$HOMEelsewhere" would run into
    for (const auto& c : cases) {
        WriteDirs(c.dirs);
        EXPECT_EQ(os::DocumentsFolder(), c.expected) << "dirs file: " << c.dirs.substr(0, 80);
    }
}

TEST_F(DocumentsFolder, ARelativeConfigFolderCountsAsUnset) {
    fs::create_directories(dir_ / "home" / "Mine");
    fs::create_directories(dir_ / "cfg");
    fs::create_directories(dir_ / "Planted");
    WriteDirs("XDG_DOCUMENTS_DIR=\"$HOME/Mine\"\n");
    Write("cfg/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"" + (dir_ / "Planted").string() + "\"\n");
    for (const char* config : {"cfg", "./cfg", ""}) {
        configSetting_.Set(config);
        EXPECT_EQ(os::DocumentsFolder(), home_ + "/Mine") << "XDG_CONFIG_HOME=" << config;
    }
    configSetting_.Set((dir_ / "cfg/").c_str());
    EXPECT_EQ(os::DocumentsFolder(), (dir_ / "Planted").string());
}

// Without a usable $HOME the folder comes from the user's account, never from the current folder or "/".
TEST_F(DocumentsFolder, AHomeThatIsUnsetEmptyOrRelativeIsTheAccountsHome) {
    const passwd* account = getpwuid(getuid());
    ASSERT_NE(account, nullptr);
    const std::string accountHome = account->pw_dir;
    const std::string expected =
        fs::is_directory(accountHome + "/Documents") ? accountHome + "/Documents" : accountHome;
    fs::create_directories(dir_ / "home" / "Documents");
    for (const char* home : {static_cast<const char*>(nullptr), "", "home", "./home"}) {
        homeSetting_.Set(home);
        EXPECT_EQ(os::DocumentsFolder(), expected) << "HOME=" << (home ? home : "(unset)");
    }
    // A home given with a slash at its end names the same folder.
    homeSetting_.Set((home_ + "//").c_str());
    EXPECT_EQ(os::DocumentsFolder(), Documents());
}

TEST_F(DocumentsFolder, HomesOfOddNamesAreKeptAsTheyAre) {
    for (const std::string name : {"with spaces", "\xe9t\xe9", "\xc3\xa9t\xc3\xa9", "tab\tand\nline"}) {
        const std::string home = (dir_ / name).string();
        fs::create_directories(home + "/Documents");
        homeSetting_.Set(home.c_str());
        EXPECT_EQ(os::DocumentsFolder(), home + "/Documents") << name;
    }
    // Longer than any path the system takes: nothing in it can be found, so the home itself it is.
    const std::string long_home = "/" + std::string(5000, 'h');
    homeSetting_.Set(long_home.c_str());
    EXPECT_EQ(os::DocumentsFolder(), long_home);
}

// A dirs file that is a pipe nobody writes to, or a device without end, is no dirs file: the folder is found
// at once, without it.
TEST_F(DocumentsFolder, ADirsFileThatIsNoFileIsPassedBy) {
    const std::string dirs = home_ + "/.config/user-dirs.dirs";
    ASSERT_EQ(mkfifo(dirs.c_str(), 0600), 0);
    EXPECT_EQ(InAProgram(), Documents() + "\n");
    fs::remove(dirs);
    fs::create_symlink("/dev/zero", dirs);
    EXPECT_EQ(InAProgram(), Documents() + "\n");
    fs::remove(dirs);
    fs::create_directory(dirs);
    EXPECT_EQ(os::DocumentsFolder(), Documents());
}

} // namespace
} // namespace ostest
