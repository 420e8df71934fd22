#include "testsupport/child_program.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/wait.h>

namespace testsupport {
namespace {

TEST(ChildProgramTest, LinesComeInOrderAndTheLastOneWithoutItsEndIsKept) {
    ChildProgram child("/bin/sh", {"-c", "printf 'one\\ntwo\\n\\nfour'"});
    ASSERT_TRUE(child.Started());
    EXPECT_EQ(child.ReadLine(), "one");
    EXPECT_EQ(child.ReadRest(), (std::vector<std::string>{"two", "", "four"}));
    EXPECT_EQ(child.ReadLine(), ""); // the end of its output
    const int status = child.Wait();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(ChildProgramTest, WhatIsSentIsAnsweredAndWaitingEndsItsInput) {
    // cat ends only when its input does: a Wait that left the pipe open would hang here.
    ChildProgram child("/bin/cat", {}, {.input = true, .errors = "", .name = "cat"});
    ASSERT_TRUE(child.Started());
    child.Send("hello");
    EXPECT_EQ(child.ReadLine(), "hello");
    child.Send("again");
    EXPECT_EQ(child.ReadLine(), "again");
    EXPECT_EQ(child.Wait(), 0);
    EXPECT_EQ(child.Wait(), 0); // waiting twice gives the same status
}

TEST(ChildProgramTest, AKilledChildKeepsWhatItWroteAndItsErrorsGoToTheirFile) {
    const std::string errors =
        (std::filesystem::temp_directory_path() / ("child-errors-" + std::to_string(getpid()))).string();
    ChildProgram child("/bin/sh", {"-c", "echo trouble >&2; echo ready; exec sleep 600"},
                       {.input = false, .errors = errors, .name = "the sleeper"});
    ASSERT_TRUE(child.Started());
    EXPECT_EQ(child.ReadLine(), "ready");
    const int status = child.Kill();
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    EXPECT_EQ(child.ReadRest(), std::vector<std::string>{});
    EXPECT_EQ(child.Errors(), "trouble\n");
    std::filesystem::remove(errors);
}

} // namespace
} // namespace testsupport
