#pragma once

#include "VeltoDevice/Support/Clock.hpp"

#include <boost/asio/awaitable.hpp>
#include <boost/asio/steady_timer.hpp>

#include <cstddef>
#include <memory>
#include <vector>

namespace velto {

/// The closing handshakes under way of the sockets this Mac has closed, so that quitting lets each
/// close frame go out (and the server's answer come back) before the process ends, rather than
/// leaving the server to see the connection drop. Touched only from the device io_context.
class ClosingHandshakes {
public:
    /// Held while a handshake is under way; it ends when the last copy goes.
    using Token = std::shared_ptr<void>;

    /// The one record of the process.
    static ClosingHandshakes& shared();

    /// Counts one handshake until the token is destroyed.
    Token begin();
    std::size_t count() const { return count_; }

    /// Returns once no handshake is under way (at once when none is), or when `limit` has passed on
    /// `clock`, whichever comes first.
    boost::asio::awaitable<void> finished(Clock& clock, Clock::Duration limit);

private:
    void end();

    std::size_t count_ = 0;
    std::vector<std::shared_ptr<boost::asio::steady_timer>> waiters_;
};

} // namespace velto
