#pragma once

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/awaitable.hpp>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

namespace velto {

/// Our end of a pipe to or from a child: non-blocking, close-on-exec, read and written through the
/// I/O context (no thread waits on it). Closed on destruction. Used on its executor's thread only.
class PipeEnd {
public:
    /// Takes ownership of `descriptor`, which must already be non-blocking.
    PipeEnd(boost::asio::any_io_executor executor, int descriptor);
    ~PipeEnd();

    PipeEnd(PipeEnd&&) noexcept;
    PipeEnd& operator=(PipeEnd&&) noexcept;

    /// Waits for bytes and reads at most `buffer.size()` of them; 0 at end of file, and also when the
    /// read fails (the stream is over either way). Cancellation ends the wait with operation_aborted
    /// and consumes nothing.
    boost::asio::awaitable<std::size_t> readSome(std::span<std::uint8_t> buffer);

    /// Reads what is there now without waiting: nothing when no byte is ready, 0 at end of file (or a
    /// failed read), else the count read.
    std::optional<std::size_t> readNow(std::span<std::uint8_t> buffer);

    /// Writes every byte, waiting while the pipe is full. Throws boost::system::system_error when the
    /// reader has gone (EPIPE: SIGPIPE is ignored once a child has been spawned) or the write fails.
    boost::asio::awaitable<void> write(std::string_view bytes);

    /// Closes the descriptor now; pending waits end with operation_aborted. Safe to call again.
    void close();
    bool isOpen() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace velto
