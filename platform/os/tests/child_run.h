// A program run as a child process for the tests of this module, every wait for it bounded: a child that does
// not end in time is killed, and the test is told so rather than hung.
#pragma once

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace ostest {

struct ChildEnd {
    bool ended = false; // false: it was killed when its time ran out
    int status = 0;     // its wait status
    std::string output; // what it wrote to its standard output

    bool ExitedWith(int code) const { return ended && WIFEXITED(status) && WEXITSTATUS(status) == code; }
};

// The helper program built beside the test programs.
inline std::string HelperProgram() {
    const char* folder = std::getenv("QVL_OUTPUT_DIR");
    return std::string(folder ? folder : ".") + "/os_test_helper";
}

// Runs program with the arguments, argv[0] first (the name the program is told it was started under), and
// reads its standard output to its end; gives up on it after timeoutMs.
inline ChildEnd RunChild(const std::string& program, const std::vector<std::string>& argv,
                         int timeoutMs = 60000) {
    ChildEnd end;
    int out[2];
    if (pipe(out) != 0) return end;
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        execv(program.c_str(), args.data());
        _exit(127);
    }
    close(out[1]);
    if (pid < 0) {
        close(out[0]);
        return end;
    }
    char buf[4096];
    for (;;) {
        pollfd p{out[0], POLLIN, 0};
        const int ready = poll(&p, 1, timeoutMs);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) {
            kill(pid, SIGKILL);
            break;
        }
        const ssize_t n = read(out[0], buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            end.ended = true;
            break;
        }
        end.output.append(buf, static_cast<size_t>(n));
    }
    close(out[0]);
    while (waitpid(pid, &end.status, 0) < 0 && errno == EINTR) {
    }
    return end;
}

} // namespace ostest
