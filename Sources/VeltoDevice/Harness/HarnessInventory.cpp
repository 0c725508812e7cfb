#include "VeltoDevice/Harness/HarnessInventory.hpp"

#include "VeltoDevice/Support/JoinableTask.hpp"

#include <exception>
#include <utility>

namespace velto {

struct HarnessInventory::Core {
    Core(boost::asio::any_io_executor onExecutor, Detect withDetect)
        : executor(std::move(onExecutor)), detect(std::move(withDetect)) {}

    boost::asio::any_io_executor executor;
    Detect detect;
    std::vector<HarnessStatus> statuses;
    std::shared_ptr<JoinableTask> detection;

    std::vector<HarnessReport> reports() const {
        std::vector<HarnessReport> reports;
        for (const auto& status : statuses) {
            if (auto report = status.report())
                reports.push_back(std::move(*report));
        }
        return reports;
    }

    /// Runs one detection and stores it, whoever still waits for it.
    static boost::asio::awaitable<void> detectAndStore(std::shared_ptr<Core> self,
                                                       std::shared_ptr<JoinableTask> task) {
        try {
            self->statuses = co_await self->detect();
        } catch (...) {
            // The detection never fails; a fault of a substitute leaves the statuses as they were.
        }
        if (self->detection == task)
            self->detection.reset();
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
    return core_->detection != nullptr;
}

std::vector<HarnessReport> HarnessInventory::reports() const {
    return core_->reports();
}

boost::asio::awaitable<HarnessInventory::Refresh> HarnessInventory::refresh() {
    auto core = core_;
    if (auto running = core->detection) {
        co_await running->join();
        co_return Refresh::joined;
    }
    auto before = core->reports();
    auto task = std::make_shared<JoinableTask>(core->executor);
    core->detection = task;
    task->start(Core::detectAndStore(core, task));
    co_await task->join();
    co_return core->reports() == before ? Refresh::unchanged : Refresh::changed;
}

} // namespace velto
