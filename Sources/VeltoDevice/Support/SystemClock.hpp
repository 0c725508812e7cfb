#pragma once

#include "VeltoDevice/Support/Clock.hpp"

#include <memory>

namespace velto {

/// The steady clock, sleeping on an Asio timer of the awaiting coroutine's executor.
class SystemClock final : public Clock {
public:
    Instant now() const override;
    boost::asio::awaitable<void> sleep(Duration duration) override;
    boost::asio::awaitable<bool> sleepUnlessCancelled(Duration duration) override;

    static std::shared_ptr<SystemClock> shared();
};

} // namespace velto
