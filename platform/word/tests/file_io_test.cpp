// Saving documents: a new file gets the mode the umask gives it without the mask ever being changed (other
// threads create files meanwhile), and a save is on the disk once its folder is synced after the rename.
#include "file_io.h"
#include "os/os.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace word {
namespace {

class FileIoTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "word-file-io-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string dir_;
};

// From here on, the process may not call umask: the call fails with EPERM (the filter is kept by this
// process alone, which is a child made for it).
bool ForbidUmask() {
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_X86_64, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_umask, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EPERM),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog program{static_cast<unsigned short>(sizeof filter / sizeof filter[0]), filter};
    return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

TEST_F(FileIoTest, ANewFileGetsTheModeOfTheUmaskWhichIsNeverChanged) {
#if !defined(__x86_64__)
    GTEST_SKIP() << "the filter that forbids umask is written for x86-64";
#endif
    const std::string path = dir_ + "/merged.doc";
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        umask(027);
        if (!ForbidUmask()) _exit(3);
        try {
            WriteWholeFile(path, std::string_view("merged"));
        } catch (...) {
            _exit(4);
        }
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(FileIoTest, ASaveIsSyncedIntoItsFolderAfterTheRename) {
    const std::string path = dir_ + "/merged.doc";
    std::vector<std::pair<std::string, std::string>> syncs; // folder, and what the file held then
    const auto previous = os::SetFolderSyncObserver([&](const std::string& folder) {
        std::ifstream in(path, std::ios::binary);
        syncs.emplace_back(folder, std::string(std::istreambuf_iterator<char>(in), {}));
    });
    WriteWholeFile(path, std::string_view("first"));
    WriteWholeFile(path, std::string_view("second"));
    os::SetFolderSyncObserver(previous);
    EXPECT_EQ(syncs, (std::vector<std::pair<std::string, std::string>>{{dir_, "first"}, {dir_, "second"}}));
}

} // namespace
} // namespace word
