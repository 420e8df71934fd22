// Temporary files and atomic writes at their limits: many processes at once, names no folder takes as
// given, folders that are missing, links or files, names as long as a name may be.
#include "profile_files.h"

#include <cstring>
#include <filesystem>
#include <set>

namespace ostest {
namespace {

namespace fs = std::filesystem;

using TempFiles = ProfileFiles;

TEST_F(TempFiles, ProcessesMakingTemporaryFilesAtOnceNeverShareAName) {
    constexpr int kProcesses = 6, kFiles = 40;
    RunTogether(kProcesses, [&](int p) {
        int failures = 0;
        for (int f = 0; f < kFiles; ++f) {
            const std::string path = os::CreateTempFile("mm", ".txt", dir_.string());
            // Whoever got the file writes its name in it: a file handed out twice holds two names.
            std::ofstream owner(path, std::ios::app);
            owner << p << "." << f << "\n";
            failures += path.empty() || !owner;
        }
        return failures;
    });
    const std::vector<std::string> names = Names();
    ASSERT_EQ(names.size(), static_cast<size_t>(kProcesses * kFiles));
    std::set<std::string> owners;
    for (const auto& name : names) {
        EXPECT_EQ(name.rfind("mm", 0), 0u) << name;
        EXPECT_EQ(fs::path(name).extension(), ".txt") << name;
        const std::string owner = Read(Path(name));
        EXPECT_EQ(std::count(owner.begin(), owner.end(), '\n'), 1)
            << name << " was handed out more than once";
        owners.insert(owner);
    }
    EXPECT_EQ(owners.size(), names.size());
}

TEST_F(TempFiles, ProcessesReplacingOneFileAtOnceLeaveOneWholeContentAndNothingElse) {
    const std::string path = Write("shared.txt", "first");
    constexpr int kProcesses = 5, kWrites = 20;
    const auto content = [](int p) { return std::string(10000 + p, static_cast<char>('a' + p)); };
    RunTogether(kProcesses, [&](int p) {
        int failures = 0;
        for (int w = 0; w < kWrites; ++w)
            failures += !os::WriteFileAtomically(path, content(p));
        return failures;
    });
    const std::string now = Read(path);
    ASSERT_FALSE(now.empty());
    EXPECT_EQ(now, content(now[0] - 'a'));
    EXPECT_EQ(Names(), std::vector<std::string>{"shared.txt"});
}

// A name the file would not bear as given (a NUL cuts it short where the system reads it, a slash puts it
// in another folder) makes no file anywhere.
TEST_F(TempFiles, NamesThatCannotBeTakenAsGivenAreRefused) {
    fs::create_directory(dir_ / "sub");
    const std::string folder = dir_.string();
    const struct {
        std::string prefix, suffix, folder;
    } refused[] = {
        {"sub/mm", "", folder},
        {"../mm", "", folder + "/sub"},
        {"mm", "/x", folder},
        {"mm", ".txt/", folder},
        {std::string("XXXXXX\0", 7), "", folder},
        {std::string("mm\0", 3), ".txt", folder},
        {"mm", std::string(".t\0xt", 5), folder},
        {"mm", "", folder + std::string("\0/sub", 5)},
    };
    for (const auto& r : refused) {
        errno = 0;
        EXPECT_EQ(os::CreateTempFile(r.prefix, r.suffix, r.folder), "") << r.prefix << "|" << r.suffix;
        EXPECT_EQ(errno, EINVAL) << r.prefix << "|" << r.suffix;
    }
    EXPECT_EQ(Names(), std::vector<std::string>{"sub"});
    EXPECT_TRUE(fs::is_empty(dir_ / "sub"));
}

TEST_F(TempFiles, FoldersThatAreLinksAreFollowedAndOthersThatAreNoFoldersFail) {
    fs::create_directory(dir_ / "real");
    fs::create_directory_symlink("real", dir_ / "link");
    const std::string made = os::CreateTempFile("mm", "", Path("link"));
    ASSERT_FALSE(made.empty());
    EXPECT_EQ(fs::path(made).parent_path(), dir_ / "link");
    EXPECT_EQ(fs::directory_iterator(dir_ / "real")->path().filename(), fs::path(made).filename());
    EXPECT_FALSE(os::CreateTempFile("mm", "", Path("real") + "/").empty());

    Write("plain", "x");
    fs::create_directory_symlink("gone", dir_ / "dangling");
    for (const std::string& folder : {Path("plain"), Path("dangling"), Path("missing/deeper")}) {
        EXPECT_EQ(os::CreateTempFile("mm", "", folder), "") << folder;
        EXPECT_NE(errno, 0) << folder;
    }
}

// A file whose name is as long as a name may be is written atomically like any other, with the temporary
// file beside it, so is a profile file of that name; nothing is left beside them.
TEST_F(TempFiles, FilesOfTheLongestNamesAreWrittenAtomically) {
    const long longest = pathconf(dir_.c_str(), _PC_NAME_MAX);
    ASSERT_GT(longest, 20);
    const std::string ascii(static_cast<size_t>(longest), 'n');
    std::string accented;
    while (accented.size() + 2 <= static_cast<size_t>(longest))
        accented += "\xc3\xa9";
    for (const std::string& name : {ascii, accented, std::string(100, 'x'), std::string(101, 'y')}) {
        const std::string path = Path(name);
        ASSERT_TRUE(os::WriteFileAtomically(path, "new")) << name.size() << ": " << std::strerror(errno);
        EXPECT_EQ(Read(path), "new");
        ASSERT_TRUE(os::WriteFileAtomically(path, "newer"));
        EXPECT_EQ(Read(path), "newer");
        EXPECT_TRUE(os::WriteProfileString(path, "General", "Server", std::string("Alpha/Acme")));
        EXPECT_EQ(os::GetProfileString(path, "General", "Server", ""), "Alpha/Acme");
        EXPECT_EQ(Names(), std::vector<std::string>{name});
        fs::remove(path);
    }
}

} // namespace
} // namespace ostest
