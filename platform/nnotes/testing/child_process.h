// The store helper (testing/store_helper.cpp) run as a child process: its stdin and stdout are pipes,
// its answers are read line by line, and every wait for it is bounded, so a stuck child fails the test
// instead of hanging it.
#pragma once

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace nnotes::testing {

class ChildProcess {
public:
    // Starts the helper with the arguments; it inherits the environment ($NOTES_INI).
    explicit ChildProcess(const std::vector<std::string>& arguments) {
        const std::string program = std::string(std::getenv("QVL_OUTPUT_DIR")) + "/nnotes_store_helper";
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const auto& a : arguments)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        int in[2], out[2];
        if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(in[0], 0);
            dup2(out[1], 1);
            execv(program.c_str(), argv.data());
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        toChild_ = in[1];
        fromChild_ = out[0];
    }

    ~ChildProcess() {
        if (toChild_ >= 0) close(toChild_);
        if (fromChild_ >= 0) close(fromChild_);
        if (pid_ > 0 && !reaped_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return pid_ > 0; }
    pid_t Pid() const { return pid_; }

    void Send(const std::string& line) {
        const std::string text = line + "\n";
        ASSERT_EQ(write(toChild_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }

    // The next line the child wrote; "" at its end, or after kTimeoutMs without one (a failure).
    std::string ReadLine() {
        for (;;) {
            const size_t end = buffer_.find('\n');
            if (end != std::string::npos) {
                std::string line = buffer_.substr(0, end);
                buffer_.erase(0, end + 1);
                return line;
            }
            pollfd p{fromChild_, POLLIN, 0};
            const int ready = poll(&p, 1, kTimeoutMs);
            if (ready < 0 && errno == EINTR) continue;
            if (ready <= 0) {
                ADD_FAILURE() << "the child gave no answer in time";
                return {};
            }
            char buf[4096];
            const ssize_t n = read(fromChild_, buf, sizeof buf);
            if (n <= 0) return {};
            buffer_.append(buf, static_cast<size_t>(n));
        }
    }

    // Kills the child (if it still runs) and gives its wait status.
    int Kill() {
        kill(pid_, SIGKILL);
        return Wait();
    }

    // Closes the child's stdin and waits for its end; gives its wait status.
    int Wait() {
        if (toChild_ >= 0) close(toChild_);
        toChild_ = -1;
        int status = 0;
        waitpid(pid_, &status, 0);
        reaped_ = true;
        return status;
    }

private:
    static constexpr int kTimeoutMs = 120000;

    pid_t pid_ = -1;
    int toChild_ = -1, fromChild_ = -1;
    bool reaped_ = false;
    std::string buffer_;
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
