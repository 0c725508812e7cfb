#include "VeltoDevice/Harness/HarnessInventory.hpp"

#include "VeltoDevice/Support/SharedTask.hpp"

#include <utility>

namespace velto {

struct HarnessInventory::Core {
    Core(boost::asio::any_io_executor onExecutor, Detect withDetect)
        : detect(std::move(withDetect)), detection(std::move(onExecutor)) {}

    std::vector<HarnessStatus> statuses;
    Detect detect;
    SharedTask detection;

    std::vector<HarnessReport> reports() const { return HarnessStatus::reports(statuses); }

    /// One detection, stored whoever still waits for it. The detection never fails; a fault of a
    /// substitute ends the run (which drops it) and leaves the statuses as they were.
    static boost::asio::awaitable<void> detectAndStore(std::shared_ptr<Core> self) {
        self->statuses = co_await self->detect();
    }
};

HarnessInventory::HarnessInventory(boost::asio::any_io_executor executor, Detect detect)
    : core_(std::make_shared<Core>(std::move(executor), std::move(detect))) {}

HarnessInventory::HarnessInventory(boost::asio::any_io_executor executor, HarnessDetector detector)
    : HarnessInventory(
          std::move(executor),
          [detector = std::move(detector)]() -> boost::asio::awaitable<std::vector<HarnessStatus>> {
              co_return co_await detector.detect();
          }) {}

HarnessInventory::~HarnessInventory() = default;

const std::vector<HarnessStatus>& HarnessInventory::statuses() const {
    return core_->statuses;
}

bool HarnessInventory::isDetecting() const {
    return core_->detection.isRunning();
}

std::vector<HarnessReport> HarnessInventory::reports() const {
    return core_->reports();
}

boost::asio::awaitable<HarnessInventory::Refresh> HarnessInventory::refresh() {
    auto core = core_;
    if (core->detection.isRunning()) {
        co_await core->detection.join();
        co_return Refresh::joined;
    }
    auto before = core->reports();
    SharedTask::Operation operation = [core] { return Core::detectAndStore(core); };
    co_await core->detection.run(std::move(operation));
    co_return core->reports() == before ? Refresh::unchanged : Refresh::changed;
}

} // namespace velto
