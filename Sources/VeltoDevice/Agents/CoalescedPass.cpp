#include "VeltoDevice/Agents/CoalescedPass.hpp"

namespace velto {

namespace {

/// Leaves the pass idle however its run ends.
struct IdleAtEnd {
    bool& isRunning;
    bool& isAskedAgain;
    ~IdleAtEnd() {
        isRunning = false;
        isAskedAgain = false;
    }
};

} // namespace

boost::asio::awaitable<void> CoalescedPass::run(Body body) {
    if (isRunning_) {
        isAskedAgain_ = true;
        co_return;
    }
    isRunning_ = true;
    isAskedAgain_ = false;
    IdleAtEnd idle{isRunning_, isAskedAgain_};
    do {
        isAskedAgain_ = false;
        auto pass = body();
        co_await std::move(pass);
    } while (isAskedAgain_);
}

} // namespace velto
