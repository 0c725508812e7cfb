#pragma once

#include "VeltoDevice/Support/PipeEnd.hpp"

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/awaitable.hpp>

#include <cstddef>
#include <deque>
#include <memory>
#include <string>

namespace velto {

/// The standard input of one job's runner: tool result lines queued and written in order in a
/// coroutine of their own, so that a runner that does not read holds up nobody but itself. Make it
/// with std::make_shared. Used on its pipe's executor only.
class JobInput : public std::enable_shared_from_this<JobInput> {
public:
    /// The most bytes waiting to be written; a line that would pass it is dropped.
    static constexpr std::size_t queueLimit = 16 * 1024 * 1024;

    /// `pipe` is the writing end of the runner's standard input, bound to `executor`.
    JobInput(boost::asio::any_io_executor executor, std::string jobId, PipeEnd pipe);

    /// Queues `line` (with its line feed) and returns at once. A line that does not fit, or whose write
    /// fails (the runner has closed its input), is dropped with the error line "could not hand a tool
    /// result to job <id>" in the category "runner".
    void write(std::string line);

    /// Closes the pipe; what is still queued is dropped silently. Safe to call again.
    void close();

private:
    static boost::asio::awaitable<void> drain(std::shared_ptr<JobInput> self);
    void dropped() const;

    boost::asio::any_io_executor executor_;
    std::string jobId_;
    PipeEnd pipe_;
    std::deque<std::string> queue_;
    /// Bytes queued and not yet written, the line being written included.
    std::size_t queuedBytes_ = 0;
    bool writing_ = false;
    bool closed_ = false;
};

} // namespace velto
