// Profile files under several writers at once: each read, change and rename takes its turn, so that no
// finished write is lost to another writer's rename.
#include "profile_files.h"

#include <cerrno>
#include <csignal>
#include <set>
#include <sys/wait.h>
#include <thread>

namespace ostest {
namespace {

constexpr int kKeys = 30;

std::string KeyOf(int writer, int k) {
    return "W" + std::to_string(writer) + "K" + std::to_string(k);
}

// One writer's share: its own keys in a section every writer uses and in a section of its own, a counter it
// sets again and again, and a key it makes and removes. Gives the number of writes that failed.
int WriteShare(const std::string& ini, int writer) {
    int failures = 0;
    const std::string own = "Writer" + std::to_string(writer);
    const std::string counter = "Count" + std::to_string(writer);
    for (int k = 0; k < kKeys; ++k) {
        const std::string value = "value " + std::to_string(writer) + "." + std::to_string(k);
        failures += !os::WriteProfileString(ini, "Notes", KeyOf(writer, k), value);
        failures += !os::WriteProfileString(ini, own, KeyOf(writer, k), value);
        failures += !os::WriteProfileString(ini, "Notes", counter, std::to_string(k));
        if (k == kKeys / 2) failures += !os::WriteProfileString(ini, own, "Temporary", std::string("x"));
    }
    failures += !os::WriteProfileString(ini, own, "Temporary", std::nullopt);
    return failures;
}

// Every finished write of every writer is in the file, once, and what was there before is as it was.
void ExpectEveryShare(const std::string& ini, int writers, const std::string& text) {
    EXPECT_EQ(text.rfind("; kept\n[Notes]\nDirectory=data\n", 0), 0u) << text.substr(0, 200);
    EXPECT_EQ(os::GetProfileString(ini, "Notes", "Directory", ""), "data");
    for (int w = 0; w < writers; ++w) {
        const std::string own = "Writer" + std::to_string(w);
        EXPECT_EQ(os::GetProfileString(ini, "Notes", "Count" + std::to_string(w), ""),
                  std::to_string(kKeys - 1));
        EXPECT_FALSE(os::ReadProfileString(ini, own, "Temporary").has_value()) << own;
        EXPECT_EQ(os::ReadProfileSection(ini, own).size(), static_cast<size_t>(kKeys)) << own;
        for (int k = 0; k < kKeys; ++k) {
            const std::string value = "value " + std::to_string(w) + "." + std::to_string(k);
            EXPECT_EQ(os::GetProfileString(ini, "Notes", KeyOf(w, k), "<lost>"), value);
            EXPECT_EQ(os::GetProfileString(ini, own, KeyOf(w, k), "<lost>"), value);
        }
    }
    const auto notes = os::ReadProfileSection(ini, "Notes");
    EXPECT_EQ(notes.size(), static_cast<size_t>(1 + writers * (kKeys + 1)));
    std::set<std::string> distinct;
    for (const auto& [key, value] : notes)
        distinct.insert(key);
    EXPECT_EQ(distinct.size(), notes.size());
}

using SeveralWriters = ProfileFiles;

TEST_F(SeveralWriters, ProcessesWritingOneFileAtOnceLoseNoneOfEachOthersWrites) {
    // Through a link as well as directly: both writers' lock must be on the file the link leads to.
    const std::string ini = Write("shared.ini", "; kept\n[Notes]\nDirectory=data\n");
    std::filesystem::create_symlink("shared.ini", dir_ / "link.ini");
    constexpr int kWriters = 4;
    RunTogether(kWriters, [&](int w) { return WriteShare(w % 2 ? Path("link.ini") : ini, w); });
    ExpectEveryShare(ini, kWriters, Read(ini));
    EXPECT_TRUE(std::filesystem::is_symlink(Path("link.ini")));
    // Nothing is left beside the file: no temporary, no lock file.
    EXPECT_EQ(Names(), (std::vector<std::string>{"link.ini", "shared.ini"}));
}

TEST_F(SeveralWriters, ThreadsWritingOneFileAtOnceLoseNoneOfEachOthersWrites) {
    const std::string ini = Write("shared.ini", "; kept\n[Notes]\nDirectory=data\n");
    constexpr int kWriters = 3;
    std::vector<int> failures(kWriters, 0);
    std::vector<std::thread> threads;
    for (int w = 0; w < kWriters; ++w)
        threads.emplace_back([&, w] { failures[static_cast<size_t>(w)] = WriteShare(ini, w); });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(failures, std::vector<int>(kWriters, 0));
    ExpectEveryShare(ini, kWriters, Read(ini));
    EXPECT_EQ(Names(), std::vector<std::string>{"shared.ini"});
}

TEST_F(SeveralWriters, WritersThatStartOnAMissingFileMakeItOnceAndKeepEveryWrite) {
    const std::string ini = Path("fresh.ini");
    constexpr int kWriters = 3;
    RunTogether(kWriters, [&](int w) {
        int failures = 0;
        for (int k = 0; k < kKeys; ++k)
            failures += !os::WriteProfileString(ini, "S", KeyOf(w, k), std::to_string(k));
        return failures;
    });
    EXPECT_EQ(os::ReadProfileSection(ini, "S").size(), static_cast<size_t>(kWriters * kKeys));
    const std::string text = Read(ini);
    EXPECT_EQ(text.find("[S]"), text.rfind("[S]")) << "the section was made more than once";
    EXPECT_EQ(Names(), std::vector<std::string>{"fresh.ini"});
}

} // namespace
} // namespace ostest
