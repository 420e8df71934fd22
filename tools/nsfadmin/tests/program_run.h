// Running the nsfadmin program as its users do, for the tests of the program itself.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>

namespace nsfadmin {

struct Outcome {
    int exitCode = -1;
    std::string out, err;
};

// Runs nsfadmin (beside this test program) with the arguments, already quoted for the shell, its standard
// error kept in errFile. It is killed if it runs past two minutes, so that a hang fails the test rather than
// stopping the suite.
inline Outcome RunProgram(const std::string& arguments, const std::string& errFile) {
    const auto program = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "nsfadmin";
    const std::string command =
        "timeout -k 10 120 '" + program.string() + "' " + arguments + " 2>'" + errFile + "'";
    Outcome o;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return o;
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;)
        o.out.append(buf, n);
    const int status = pclose(pipe);
    o.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(errFile, std::ios::binary);
    o.err.assign(std::istreambuf_iterator<char>(in), {});
    return o;
}

// Writes text as the file name in folder, byte for byte; its path.
inline std::string WriteFile(const std::string& folder, const std::string& name, const std::string& text) {
    const std::string path = folder + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

} // namespace nsfadmin
