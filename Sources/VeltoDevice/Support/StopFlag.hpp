#pragma once

#include <atomic>
#include <memory>

namespace velto {

/// Asks blocking work on another thread to stop: the work looks at it between blocks. Copies share
/// one flag.
class StopFlag {
public:
    StopFlag() : flag_(std::make_shared<std::atomic<bool>>(false)) {}

    void request() const { flag_->store(true, std::memory_order_relaxed); }
    bool isRequested() const { return flag_->load(std::memory_order_relaxed); }
    /// Throws Asio's operation_aborted once a stop is requested, so a stop reads as cancellation.
    void throwIfRequested() const;

private:
    std::shared_ptr<std::atomic<bool>> flag_;
};

} // namespace velto
