#pragma once

#include <functional>

namespace velto {

/// The machine's sleep and wake as the application sees them. Handlers are called on the main thread,
/// one notification at a time as the system sends them.
class PowerEventSource {
public:
    struct Handlers {
        /// The machine is about to sleep: it waits (a little) until `sleepHandled()`.
        std::function<void()> willSleep;
        /// The machine woke up.
        std::function<void()> didWake;
    };

    virtual ~PowerEventSource() = default;

    /// Starts delivering notifications to `handlers`; false when none can come (then nothing is
    /// delivered, ever). Called once.
    virtual bool observe(Handlers handlers) = 0;
    /// The steps for the latest `willSleep` have ended: the machine may go to sleep now.
    virtual void sleepHandled() = 0;
};

} // namespace velto
