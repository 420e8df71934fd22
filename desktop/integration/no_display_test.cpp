// The program started as a user would start it without a graphical session: a real child process with no
// display named and no platform chosen, bounded in time.
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

struct Outcome {
    bool ended = false;
    int status = 0;
    std::string errors;
};

// Runs the program with this process's environment less the named variables, plus extra ones; its stderr is
// read until it closes, for two minutes at most, after which the child is killed.
Outcome RunWithout(const std::vector<std::string>& removed, const std::vector<std::string>& extra = {}) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string variable(*entry);
        bool keep = true;
        for (const std::string& name : removed)
            keep = keep && variable.rfind(name + "=", 0) != 0;
        if (keep) environment.push_back(variable);
    }
    environment.insert(environment.end(), extra.begin(), extra.end());
    std::vector<char*> envp;
    for (std::string& variable : environment)
        envp.push_back(variable.data());
    envp.push_back(nullptr);
    std::string program = QUORVEL_PROGRAM;
    char* argv[] = {program.data(), nullptr};

    Outcome outcome;
    int errors[2];
    if (pipe(errors) != 0) return outcome;
    const pid_t child = fork();
    if (child == 0) {
        dup2(errors[1], 2);
        close(errors[0]);
        close(errors[1]);
        execve(argv[0], argv, envp.data());
        _exit(127);
    }
    close(errors[1]);
    for (;;) {
        pollfd ready{errors[0], POLLIN, 0};
        const int polled = poll(&ready, 1, 120000);
        if (polled < 0 && errno == EINTR) continue;
        if (polled <= 0) {
            kill(child, SIGKILL);
            break;
        }
        char buffer[4096];
        const ssize_t n = read(errors[0], buffer, sizeof buffer);
        if (n <= 0) {
            outcome.ended = true;
            break;
        }
        outcome.errors.append(buffer, static_cast<size_t>(n));
    }
    close(errors[0]);
    waitpid(child, &outcome.status, 0);
    return outcome;
}

const std::string kNoSession =
    "quorvel: no graphical session to show its windows in; start it from a desktop "
    "session, or with QT_QPA_PLATFORM=offscreen, or under xvfb-run\n";

TEST(NoDisplay, SaysWhatItNeedsInOneLineAndExitsWithAStatus) {
    const Outcome outcome = RunWithout({"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"});
    ASSERT_TRUE(outcome.ended) << "still running: killed";
    ASSERT_TRUE(WIFEXITED(outcome.status))
        << "ended by signal " << WTERMSIG(outcome.status) << ": " << outcome.errors;
    EXPECT_EQ(WEXITSTATUS(outcome.status), 1);
    EXPECT_EQ(outcome.errors, kNoSession);
}

// A display that is named but cannot be reached is no graphical session either; Qt's own warnings may come
// first.
TEST(NoDisplay, AnUnreachableDisplayIsReportedTheSameWay) {
    const Outcome outcome =
        RunWithout({"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "XAUTHORITY"}, {"DISPLAY=:9873"});
    ASSERT_TRUE(outcome.ended) << "still running: killed";
    ASSERT_TRUE(WIFEXITED(outcome.status))
        << "ended by signal " << WTERMSIG(outcome.status) << ": " << outcome.errors;
    EXPECT_EQ(WEXITSTATUS(outcome.status), 1);
    ASSERT_GE(outcome.errors.size(), kNoSession.size());
    EXPECT_EQ(outcome.errors.substr(outcome.errors.size() - kNoSession.size()), kNoSession) << outcome.errors;
}

} // namespace
