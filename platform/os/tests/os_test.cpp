#include "os/os.h"
#include "profile_files.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

using TempDir = ostest::ProfileFiles;

using Profile = TempDir;

TEST_F(Profile, ReadsCaseInsensitivelyTrimsAndFallsBack) {
    auto ini =
        Write("a.ini", "; comment\r\n[General]\r\n  Server = Alpha/Acme  \r\n[Other]\r\nServer=Beta\r\n");
    EXPECT_EQ(os::GetProfileString(ini, "general", "SERVER", "x"), "Alpha/Acme");
    EXPECT_EQ(os::GetProfileString(ini, "Other", "Server", "x"), "Beta");
    EXPECT_EQ(os::GetProfileString(ini, "General", "Missing", "dflt"), "dflt");
    EXPECT_EQ(os::GetProfileString(ini, "Nowhere", "Server", "dflt"), "dflt");
    EXPECT_EQ(os::GetProfileString((dir_ / "none.ini").string(), "General", "Server", "d"), "d");
    EXPECT_FALSE(os::ReadProfileString(ini, "General", "Missing").has_value());
}

TEST_F(Profile, SectionListsEntriesInFileOrder) {
    auto ini = Write("s.ini", "[Servers]\nAlpha/Acme=/srv/a\nBeta=/srv/b\n[Notes]\nDirectory=d\n");
    auto entries = os::ReadProfileSection(ini, "servers");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0], (std::pair<std::string, std::string>{"Alpha/Acme", "/srv/a"}));
    EXPECT_EQ(entries[1].first, "Beta");
}

TEST_F(Profile, WritesReplaceAddAndRemoveKeepingTheRest) {
    auto ini = Write("w.ini", "[Notes]\nDirectory=data\nUserName=Ann\n\n[Servers]\nAlpha=/a\n");
    ASSERT_TRUE(os::WriteProfileString(ini, "notes", "username", std::string("Bob")));
    ASSERT_TRUE(os::WriteProfileString(ini, "Notes", "NewKey", std::string("1")));
    ASSERT_TRUE(os::WriteProfileString(ini, "Fresh", "K", std::string("v")));
    ASSERT_TRUE(os::WriteProfileString(ini, "Servers", "Alpha", std::nullopt));
    EXPECT_EQ(os::GetProfileString(ini, "Notes", "UserName", ""), "Bob");
    EXPECT_EQ(os::GetProfileString(ini, "Notes", "NewKey", ""), "1");
    EXPECT_EQ(os::GetProfileString(ini, "Notes", "Directory", ""), "data");
    EXPECT_EQ(os::GetProfileString(ini, "Fresh", "K", ""), "v");
    EXPECT_FALSE(os::ReadProfileString(ini, "Servers", "Alpha").has_value());
    // The new key sits in its own section, not after the next one.
    std::string text = Read(ini);
    EXPECT_LT(text.find("NewKey=1"), text.find("[Servers]"));
}

TEST_F(Profile, WriteCreatesAMissingFileAndFailsInAMissingFolder) {
    std::string ini = (dir_ / "new.ini").string();
    ASSERT_TRUE(os::WriteProfileString(ini, "General", "Server", std::string("S")));
    EXPECT_EQ(Read(ini), "[General]\nServer=S\n");
    EXPECT_FALSE(os::WriteProfileString((dir_ / "no" / "x.ini").string(), "A", "B", std::string("C")));
}

using Files = TempDir;

TEST_F(Files, TempFilesAreUniqueAndExist) {
    std::string a = os::CreateTempFile("qvl", ".txt", dir_.string());
    std::string b = os::CreateTempFile("qvl", ".txt", dir_.string());
    ASSERT_FALSE(a.empty());
    EXPECT_NE(a, b);
    EXPECT_TRUE(fs::exists(a));
    EXPECT_EQ(fs::path(a).extension(), ".txt");
    EXPECT_TRUE(os::CreateTempFile("x", "", (dir_ / "missing").string()).empty());
}

TEST_F(Files, AtomicWriteReplacesContentAndLeavesNoTemporaries) {
    std::string p = Write("f.txt", "old");
    ASSERT_TRUE(os::WriteFileAtomically(p, "new content"));
    EXPECT_EQ(Read(p), "new content");
    int count = 0;
    for (auto& e : fs::directory_iterator(dir_))
        (void)e, ++count;
    EXPECT_EQ(count, 1);
}

// Records every folder sync while it lives, with whether a file of the test's choosing existed then and
// what it held: a rename is durable only once its folder is synced after it.
class SyncRecorder {
public:
    explicit SyncRecorder(std::string watched = "") : watched_(std::move(watched)) {
        previous_ = os::SetFolderSyncObserver([this](const std::string& folder) {
            std::ifstream in(watched_, std::ios::binary);
            std::stringstream text;
            text << in.rdbuf();
            syncs_.push_back({folder, in ? text.str() : "<missing>"});
        });
    }
    ~SyncRecorder() { os::SetFolderSyncObserver(previous_); }

    struct Sync {
        std::string folder;
        std::string watched; // the watched file's content at the time, or "<missing>"
        bool operator==(const Sync&) const = default;
    };
    const std::vector<Sync>& Syncs() const { return syncs_; }

private:
    std::string watched_;
    std::vector<Sync> syncs_;
    os::FolderSyncObserver previous_;
};

TEST_F(Files, AnAtomicWriteIsDurableOnlyOnceItsFolderIsSyncedAfterTheRename) {
    const std::string path = Write("durable.ini", "old");
    SyncRecorder recorder(path);
    ASSERT_TRUE(os::WriteFileAtomically(path, "new"));
    EXPECT_EQ(recorder.Syncs(), (std::vector<SyncRecorder::Sync>{{dir_.string(), "new"}}));
}

TEST_F(Files, MadeFoldersAreSyncedInTheirParents) {
    SyncRecorder recorder;
    const std::string deep = (dir_ / "a" / "b" / "c").string();
    ASSERT_TRUE(os::MakeFolders(deep));
    EXPECT_TRUE(fs::is_directory(deep));
    std::vector<std::string> synced;
    for (const auto& sync : recorder.Syncs())
        synced.push_back(sync.folder);
    EXPECT_EQ(synced,
              (std::vector<std::string>{dir_.string(), (dir_ / "a").string(), (dir_ / "a" / "b").string()}));
    ASSERT_TRUE(os::MakeFolders(deep)); // there already: nothing to make, nothing to sync
    EXPECT_EQ(recorder.Syncs().size(), 3u);
    Write("plain", "x");
    EXPECT_FALSE(os::MakeFolders((dir_ / "plain" / "d").string()));
    EXPECT_FALSE(os::SyncFolder((dir_ / "missing").string()));
    EXPECT_EQ(errno, ENOENT);
}

TEST_F(Files, TheFileCreationMaskIsReadAsItIs) {
    const mode_t previous = ::umask(027);
    EXPECT_EQ(os::FileCreationMask(), 027u);
    EXPECT_EQ(os::FileCreationMask(), 027u);
    ::umask(previous);
    EXPECT_EQ(os::FileCreationMask(), static_cast<unsigned>(previous));
}

TEST_F(Files, PathsOfModulesAndFolders) {
    EXPECT_EQ(os::DirectoryOf("/a/b/c.ini"), "/a/b");
    EXPECT_EQ(os::DirectoryOf("c.ini"), ".");
    EXPECT_EQ(os::DirectoryOf("/c.ini"), "/");
    std::string self = os::ModulePath(nullptr);
    ASSERT_FALSE(self.empty());
    EXPECT_EQ(self.front(), '/');
    EXPECT_TRUE(fs::exists(self));
}

TEST_F(Files, DocumentsFolderFollowsTheUserDirsFile) {
    fs::create_directories(dir_ / "cfg");
    fs::create_directories(dir_ / "MyDocs");
    Write("cfg/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/MyDocs\"\n");
    std::string oldHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    const char* oldCfg = std::getenv("XDG_CONFIG_HOME");
    std::string savedCfg = oldCfg ? oldCfg : "";
    setenv("HOME", dir_.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (dir_ / "cfg").c_str(), 1);
    EXPECT_EQ(os::DocumentsFolder(), (dir_ / "MyDocs").string());
    fs::remove_all(dir_ / "MyDocs");
    EXPECT_EQ(os::DocumentsFolder(), dir_.string()); // no Documents either: home
    setenv("HOME", oldHome.c_str(), 1);
    if (oldCfg)
        setenv("XDG_CONFIG_HOME", savedCfg.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

TEST(BoundedText, CopiesAtMostSizeMinusOneAndTerminates) {
    char buf[5];
    EXPECT_EQ(os::CopyBounded(buf, sizeof buf, "abcdefgh"), 4u);
    EXPECT_STREQ(buf, "abcd");
    EXPECT_EQ(os::CopyBounded(buf, sizeof buf, std::string("xy")), 2u);
    EXPECT_STREQ(buf, "xy");
    EXPECT_EQ(os::CopyBounded(buf, 1, "abc"), 0u);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(os::CopyBounded(nullptr, 10, "abc"), 0u);
    EXPECT_EQ(os::CopyBounded(buf, sizeof buf, static_cast<const char*>(nullptr)), 0u);
    EXPECT_EQ(os::CompareBounded("abcX", "abcY", 3), 0);
    EXPECT_NE(os::CompareBounded("abcX", "abcY", 4), 0);
    EXPECT_EQ(os::CompareBoundedNoCase("HeLLo", "hello", 5), 0);
}

TEST(MessageBoxes, RecorderCapturesAndRestores) {
    {
        os::MessageBoxRecorder outer(os::IDCANCEL);
        {
            os::MessageBoxRecorder inner(os::IDNO);
            EXPECT_EQ(os::MessageBox("inner", "Cap", os::MB_YESNO), os::IDNO);
            ASSERT_EQ(inner.Boxes().size(), 1u);
            EXPECT_EQ(inner.Boxes()[0].caption, "Cap");
        }
        EXPECT_EQ(os::MessageBox("outer", "", os::MB_ICONERROR | os::MB_SYSTEMMODAL), os::IDCANCEL);
        ASSERT_EQ(outer.Boxes().size(), 1u);
        EXPECT_EQ(outer.Boxes()[0].text, "outer");
        EXPECT_EQ(outer.Boxes()[0].flags, os::MB_ICONERROR | os::MB_SYSTEMMODAL);
    }
    // The stderr default never blocks and answers yes to a yes/no question.
    testing::internal::CaptureStderr();
    EXPECT_EQ(os::MessageBox("q?", "Title", os::MB_YESNO), os::IDYES);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Title: q?"), std::string::npos);
}

} // namespace
