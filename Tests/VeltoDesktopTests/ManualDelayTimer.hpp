#pragma once

#include "VeltoDesktop/System/LogindPowerEvents.hpp"

#include <chrono>
#include <functional>

namespace velto::testing {

/// The sleep delay's cap, fired by the test instead of after a real wait.
class ManualDelayTimer final : public LogindPowerEvents::DelayTimer {
public:
    int starts = 0;
    bool isRunning = false;
    std::chrono::milliseconds duration{0};

    void start(std::chrono::milliseconds after, std::function<void()> expired) override {
        ++starts;
        isRunning = true;
        duration = after;
        expired_ = std::move(expired);
    }
    void stop() override { isRunning = false; }

    /// Runs out now, as a single-shot timer would: only while started.
    void fire() {
        if (!isRunning)
            return;
        isRunning = false;
        auto expired = expired_;
        expired();
    }

private:
    std::function<void()> expired_;
};

} // namespace velto::testing
