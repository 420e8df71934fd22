// The store when the system runs short: a full disk, a process out of file descriptors. Each says so in its
// status, and what can still be done is done.
#include "testing/child_process.h"
#include "testing/store_fixture.h"

#include <algorithm>
#include <fcntl.h>
#include <sys/resource.h>
#include <vector>

namespace nnotes::testing {
namespace {

using StoreFaultsTest = StoreTest;

TEST_F(StoreFaultsTest, AFullDiskStillLetsADatabaseBeReadAndSaysWhyNothingIsSaved) {
    DBHANDLE db = MakeDatabase("source.nsf");
    const NOTEID id = SaveNote(db, {{"Subject", "readable"}});
    ASSERT_EQ(CloseDatabase(db), NOERROR);
    const auto answers = AnswersOnAFullDisk(root_ + "/full", data_ + "/source.nsf", id);
    if (answers.empty())
        GTEST_SKIP() << "a file system of its own can be mounted only with the rights to do so";
    EXPECT_EQ(answers, (std::vector<std::string>{"opened 0", "read 0 readable",
                                                 "saved " + std::to_string(ERR_DB_DISK_FULL)}));
}

// Takes every free file descriptor of the process (below a lowered limit) and gives them back.
class DescriptorShortage {
public:
    DescriptorShortage() {
        getrlimit(RLIMIT_NOFILE, &saved_);
        rlimit low = saved_;
        low.rlim_cur = std::min<rlim_t>(saved_.rlim_cur, 512);
        setrlimit(RLIMIT_NOFILE, &low);
        for (int fd; (fd = open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;)
            taken_.push_back(fd);
    }
    ~DescriptorShortage() {
        for (int fd : taken_)
            close(fd);
        setrlimit(RLIMIT_NOFILE, &saved_);
    }
    // Gives one back.
    void Free() {
        close(taken_.back());
        taken_.pop_back();
    }

private:
    rlimit saved_{};
    std::vector<int> taken_;
};

TEST_F(StoreFaultsTest, RunningOutOfFileDescriptorsIsReportedAsSuch) {
    DBHANDLE db = MakeDatabase("files.nsf");
    ASSERT_EQ(CloseDatabase(db), NOERROR);
    std::vector<STATUS> opened, created;
    {
        DescriptorShortage shortage;
        for (int free = 0; free < 8; ++free) {
            const STATUS s = OpenDatabase("files.nsf", &db);
            opened.push_back(s);
            if (s == NOERROR) CloseDatabase(db);
            created.push_back(CreateDatabase("new.nsf", 0, true, 0, 0, 0));
            shortage.Free();
        }
    }
    // With none left it is said; with a few left, the attempt works or says the same.
    EXPECT_EQ(opened.front(), ERR_DB_TOO_MANY_FILES);
    EXPECT_EQ(created.front(), ERR_DB_TOO_MANY_FILES);
    for (size_t i = 0; i < opened.size(); ++i) {
        EXPECT_TRUE(opened[i] == NOERROR || opened[i] == ERR_DB_TOO_MANY_FILES) << i << ": " << opened[i];
        EXPECT_TRUE(created[i] == NOERROR || created[i] == ERR_DB_TOO_MANY_FILES) << i << ": " << created[i];
    }
    EXPECT_EQ(opened.back(), NOERROR);
    // Nothing was spoilt on the way.
    ASSERT_EQ(OpenDatabase("files.nsf", &db), NOERROR);
    EXPECT_NE(SaveNote(db, {{"Subject", "still fine"}}), 0u);
    EXPECT_EQ(CloseDatabase(db), NOERROR);
}

} // namespace
} // namespace nnotes::testing
