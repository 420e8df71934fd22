// A program of the tests run as a child process: its standard output is a pipe read line by line, its
// standard input a pipe when asked for, its standard error a file when one is named. Every wait for it is
// bounded, so a stuck child fails the test (a gtest failure) instead of hanging it.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace testsupport {

class ChildProgram {
public:
    struct Options {
        bool input = false; // a pipe for its standard input (Send); otherwise it inherits the test's
        std::string errors; // the file its standard error goes to (made anew); "" inherits the test's
        std::string name = "the child"; // who it is in a failure's message
    };

    // Starts program with the arguments (after its name); it inherits the environment. Started() says
    // whether it could be started.
    ChildProgram(const std::string& program, const std::vector<std::string>& arguments, Options options);
    ChildProgram(const std::string& program, const std::vector<std::string>& arguments)
        : ChildProgram(program, arguments, Options{}) {}
    // Kills the child if it was not waited for.
    ~ChildProgram();
    ChildProgram(const ChildProgram&) = delete;
    ChildProgram& operator=(const ChildProgram&) = delete;

    bool Started() const { return pid_ > 0; }
    pid_t Pid() const { return pid_; }

    // Writes line and a line feed to its standard input (a failure when it cannot).
    void Send(const std::string& line);

    // The next line it wrote; "" at the end of its output, or (a failure) after kTimeoutMs without one.
    std::string ReadLine();
    // Every line it writes until the end of its output (after a failure, those read until then).
    std::vector<std::string> ReadRest();

    // Kills the child where it is and gives its wait status; what it wrote before stays to be read.
    int Kill();
    // Closes its standard input and waits for its end; gives its wait status.
    int Wait();

    // What it wrote to the errors file of its options.
    std::string Errors() const;

private:
    static constexpr int kTimeoutMs = 120000;

    // Reads what the pipe holds now into buffer_, waiting at most kTimeoutMs; false at its end or after the
    // wait ran out (then a failure).
    bool Fill();

    Options options_;
    pid_t pid_ = -1;
    int toChild_ = -1, fromChild_ = -1;
    bool reaped_ = false;
    int status_ = 0;
    std::string buffer_;
};

} // namespace testsupport
