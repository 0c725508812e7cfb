#pragma once

#include "VeltoDesktop/System/PowerEventSource.hpp"

namespace velto::testing {

/// Sleep and wake that a test sends; counts the sleeps handled.
class FakePowerSource final : public PowerEventSource {
public:
    bool isObservable = true;
    int handledSleeps = 0;

    bool observe(Handlers handlers) override {
        handlers_ = std::move(handlers);
        return isObservable;
    }
    void sleepHandled() override { ++handledSleeps; }

    void sleep() const {
        if (handlers_.willSleep)
            handlers_.willSleep();
    }
    void wake() const {
        if (handlers_.didWake)
            handlers_.didWake();
    }

private:
    Handlers handlers_;
};

} // namespace velto::testing
