#pragma once

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/awaitable.hpp>
#include <boost/asio/steady_timer.hpp>

namespace velto {

/// Something that happens once, which any number of coroutines wait for. Used on its executor's
/// thread only; a waiter keeps the latch alive while it waits.
class Latch {
public:
    explicit Latch(const boost::asio::any_io_executor& executor);

    /// Ends every wait, the ones to come included; each waiter resumes through its executor, never
    /// inside this call. Safe to call again.
    void open();
    bool isOpen() const { return isOpen_; }
    /// Returns once the latch is open (at once when it is). Cancellation ends the wait with
    /// operation_aborted and leaves the other waits as they are.
    boost::asio::awaitable<void> wait();

private:
    boost::asio::steady_timer timer_;
    bool isOpen_ = false;
};

} // namespace velto
