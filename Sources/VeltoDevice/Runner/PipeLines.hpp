#pragma once

#include "VeltoDevice/Support/Bytes.hpp"
#include "VeltoDevice/Support/PipeEnd.hpp"

#include <boost/asio/awaitable.hpp>

#include <cstddef>
#include <deque>
#include <optional>
#include <string>

namespace velto {

/// The text lines of a pipe, read on demand: the pipe is read only when the reader asks for the next
/// line, so a slow reader slows the writer (its pipe fills) instead of buffering without bound. Used
/// on its pipe's executor, by one reader at a time; no lock.
class PipeLines {
public:
    /// The longest line kept. A longer one is dropped up to its line feed, with one error line in the
    /// log category "runner".
    static constexpr std::size_t lineLimit = 16 * 1024 * 1024;

    explicit PipeLines(PipeEnd pipe);

    /// The next line without its line feed, invalid UTF-8 replaced by U+FFFD (a carriage return
    /// before the line feed stays); at the end of the pipe a last line without a line feed, then
    /// nothing. Cancellation ends the wait with operation_aborted and loses nothing.
    boost::asio::awaitable<std::optional<std::string>> next();

private:
    /// Moves the complete lines of the buffer to `lines_`, and drops a line past the limit.
    void takeBufferedLines();

    PipeEnd pipe_;
    Bytes buffer_;
    /// Where the unread bytes of the buffer start; the bytes before have been taken.
    std::size_t start_ = 0;
    /// How far the buffer is known to hold no line feed.
    std::size_t scanned_ = 0;
    /// True while the rest of a line past the limit is being skipped.
    bool skipping_ = false;
    bool ended_ = false;
    std::deque<std::string> lines_;
};

} // namespace velto
