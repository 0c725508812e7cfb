#pragma once

#include "VeltoDevice/Support/Clock.hpp"

#include <memory>

namespace velto {

/// The steady clock, sleeping on an Asio timer of the awaiting coroutine's executor.
///
/// Linux's steady clock stops while the machine sleeps, unlike a clock that counts time asleep. That is
/// what the sessions want: every socket is stopped before the machine sleeps, and the application
/// refreshes every connection on wake, so no deadline of a session spans a sleep.
class SystemClock final : public Clock {
public:
    Instant now() const override;
    boost::asio::awaitable<void> sleep(Duration duration) override;
    boost::asio::awaitable<bool> sleepUnlessCancelled(Duration duration) override;

    static std::shared_ptr<SystemClock> shared();
};

} // namespace velto
