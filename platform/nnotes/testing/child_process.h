// The store helper (testing/store_helper.cpp) run as a child process: its stdin and stdout are pipes,
// its answers are read line by line, and every wait for it is bounded (testsupport::ChildProgram).
#pragma once

#include "testsupport/child_program.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace nnotes::testing {

class ChildProcess : public testsupport::ChildProgram {
public:
    // Starts the helper with the arguments; it inherits the environment ($NOTES_INI).
    explicit ChildProcess(const std::vector<std::string>& arguments)
        : ChildProgram(std::string(std::getenv("QVL_OUTPUT_DIR")) + "/nnotes_store_helper", arguments,
                       {.input = true, .errors = "", .name = "the child"}) {}
};

// Kills the child after `answers` answers and a further random moment, so that the kill lands anywhere in its
// next step.
inline void KillSoon(ChildProcess& child, int answers, std::mt19937& random) {
    for (int i = 0; i < answers; ++i)
        ASSERT_FALSE(child.ReadLine().empty());
    volatile unsigned spin = std::uniform_int_distribution<unsigned>(0, 2000000)(random);
    while (spin > 0)
        spin = spin - 1;
    child.Kill();
}

// Runs the helper's full-disk command (a tiny file system of its own at mountPoint, holding a copy of the
// database at source, reading note id) and gives every answer it wrote; none where the system does not let
// it mount a file system (the caller skips). The helper must end well.
inline std::vector<std::string> AnswersOnAFullDisk(const std::string& mountPoint, const std::string& source,
                                                   uint32_t id) {
    std::filesystem::create_directories(mountPoint);
    ChildProcess child({"full-disk", mountPoint, source, std::to_string(id)});
    std::vector<std::string> answers;
    for (std::string line; !(line = child.ReadLine()).empty();)
        answers.push_back(line);
    EXPECT_EQ(child.Wait(), 0);
    if (answers == std::vector<std::string>{"unsupported"}) answers.clear();
    return answers;
}

} // namespace nnotes::testing
