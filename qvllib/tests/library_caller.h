// One qvllib_library_caller process (tests/caller/library_caller.cpp), for the tests that need the real
// qvllib.so in programs of their own; what it writes to stderr goes to a file.
#pragma once

#include "testsupport/child_program.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace qvltest {

class Caller : public testsupport::ChildProgram {
public:
    Caller(const std::string& library, const std::vector<std::string>& commands, const std::string& errors)
        : ChildProgram(std::string(std::getenv("QVL_OUTPUT_DIR")) + "/qvllib_library_caller",
                       Arguments(library, commands),
                       {.input = false, .errors = errors, .name = "the caller"}) {}

    // Every answer until the caller's end.
    std::vector<std::string> Answers() { return ReadRest(); }

private:
    static std::vector<std::string> Arguments(const std::string& library, std::vector<std::string> commands) {
        commands.insert(commands.begin(), library);
        return commands;
    }
};

} // namespace qvltest
