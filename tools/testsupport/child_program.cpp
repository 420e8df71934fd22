#include "testsupport/child_program.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

ChildProgram::ChildProgram(const std::string& program, const std::vector<std::string>& arguments,
                           Options options)
    : options_(std::move(options)) {
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    int in[2] = {-1, -1}, out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return;
    if (options_.input && pipe2(in, O_CLOEXEC) != 0) {
        close(out[0]);
        close(out[1]);
        return;
    }
    pid_ = fork();
    if (pid_ == 0) {
        if (in[0] >= 0) dup2(in[0], 0);
        dup2(out[1], 1);
        if (!options_.errors.empty()) {
            const int err = open(options_.errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (err >= 0) dup2(err, 2);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    fromChild_ = out[0];
    if (in[0] >= 0) {
        close(in[0]);
        toChild_ = in[1];
    }
    if (pid_ < 0) {
        close(fromChild_);
        fromChild_ = -1;
        if (toChild_ >= 0) close(toChild_);
        toChild_ = -1;
    }
}

ChildProgram::~ChildProgram() {
    if (toChild_ >= 0) close(toChild_);
    if (fromChild_ >= 0) close(fromChild_);
    if (pid_ > 0 && !reaped_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

void ChildProgram::Send(const std::string& line) {
    const std::string text = line + "\n";
    ASSERT_EQ(write(toChild_, text.data(), text.size()), static_cast<ssize_t>(text.size()))
        << "cannot write to " << options_.name;
}

bool ChildProgram::Fill() {
    for (;;) {
        pollfd p{fromChild_, POLLIN, 0};
        const int ready = poll(&p, 1, kTimeoutMs);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) {
            ADD_FAILURE() << options_.name << " gave no answer in time";
            return false;
        }
        char buf[4096];
        const ssize_t n = read(fromChild_, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        buffer_.append(buf, static_cast<size_t>(n));
        return true;
    }
}

std::string ChildProgram::ReadLine() {
    for (;;) {
        if (const size_t end = buffer_.find('\n'); end != std::string::npos) {
            std::string line = buffer_.substr(0, end);
            buffer_.erase(0, end + 1);
            return line;
        }
        if (!Fill()) return {};
    }
}

std::vector<std::string> ChildProgram::ReadRest() {
    while (Fill()) {
    }
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = buffer_.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(buffer_.substr(start, end - start));
    if (start < buffer_.size()) lines.push_back(buffer_.substr(start)); // a last line without its end
    buffer_.clear();
    return lines;
}

int ChildProgram::Kill() {
    if (pid_ > 0 && !reaped_) kill(pid_, SIGKILL);
    return Wait();
}

int ChildProgram::Wait() {
    if (toChild_ >= 0) close(toChild_);
    toChild_ = -1;
    if (pid_ > 0 && !reaped_) {
        waitpid(pid_, &status_, 0);
        reaped_ = true;
    }
    return status_;
}

std::string ChildProgram::Errors() const {
    std::ifstream in(options_.errors, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace testsupport
