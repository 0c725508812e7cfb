#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace velto::testing {

/// A child process of a test, with pipes on its standard input and output (standard error is the
/// test's own). `terminate`, also run by the destructor, stops it and reaps it, so no test leaves a
/// process behind; closing its input first lets a well-behaved child end by itself.
class ChildProcess {
public:
    /// Starts `program`, looked up on PATH, with `arguments`; throws std::runtime_error when it cannot.
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments);
    ~ChildProcess();

    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    bool isReaped() const { return reaped_; }

    /// The next line of standard output without its newline; nothing at the end of the output or
    /// when no whole line came within `timeout`.
    std::optional<std::string> readLine(std::chrono::milliseconds timeout);

    /// Writes `line` and a line feed to its standard input; false when it no longer reads it.
    bool writeLine(const std::string& line);

    /// Waits for the exit: the exit status, or 128 plus the signal that ended it.
    int wait();

    /// Closes its input, asks it to stop (SIGTERM), kills it when it is still running after `grace`,
    /// and reaps it. Returns the status as `wait` does; does nothing more once reaped.
    int terminate(std::chrono::milliseconds grace = std::chrono::seconds(5));

    /// Runs a program to its end with no input; returns its status as `wait` does.
    static int run(const std::string& program, const std::vector<std::string>& arguments);

private:
    bool reap(bool block);
    void closeInput();

    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
    std::string buffered_;
    bool outputEnded_ = false;
    bool reaped_ = false;
    int status_ = 0;
};

} // namespace velto::testing
