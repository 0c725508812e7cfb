#include "VeltoDevice/Runner/ModelCatalogCache.hpp"

#include "VeltoDevice/Support/SharedTask.hpp"

#include <algorithm>
#include <utility>

namespace velto {

namespace {

/// The last query started: when, and with which harnesses signed in.
struct CatalogRun {
    Clock::Instant startedAt;
    std::map<HarnessKind, bool> signIns;
};

} // namespace

struct ModelCatalogCache::Core {
    Core(boost::asio::any_io_executor onExecutor, std::shared_ptr<Clock> withClock, Fetch withFetch)
        : clock(std::move(withClock)), fetch(std::move(withFetch)), pending(std::move(onExecutor)) {}

    std::optional<ModelCatalog> catalog;
    std::shared_ptr<Clock> clock;
    Fetch fetch;
    std::optional<CatalogRun> lastRun;
    SharedTask pending;

    bool needsRun(const std::map<HarnessKind, bool>& signIns) const {
        if (!lastRun)
            return true;
        return clock->now() - lastRun->startedAt >= maxAge || signIns != lastRun->signIns;
    }

    /// Runs one query and keeps its catalog, whoever still waits for it; a failed one keeps the last.
    /// The query never fails; a fault of a substitute ends the run (which drops it) and keeps the
    /// catalog as it was.
    static boost::asio::awaitable<void> fetchAndStore(std::shared_ptr<Core> self) {
        if (auto fetched = co_await self->fetch())
            self->catalog = std::move(fetched);
    }
};

ModelCatalogCache::ModelCatalogCache(boost::asio::any_io_executor executor, std::shared_ptr<Clock> clock,
                                     Fetch fetch)
    : core_(std::make_shared<Core>(std::move(executor), std::move(clock), std::move(fetch))) {}

ModelCatalogCache::ModelCatalogCache(boost::asio::any_io_executor executor, std::shared_ptr<Clock> clock,
                                     ModelCatalogCommand command)
    : ModelCatalogCache(
          std::move(executor), std::move(clock),
          [command = std::move(command)]() -> boost::asio::awaitable<std::optional<ModelCatalog>> {
              co_return co_await command.fetch();
          }) {}

ModelCatalogCache::~ModelCatalogCache() = default;

const std::optional<ModelCatalog>& ModelCatalogCache::catalog() const {
    return core_->catalog;
}

bool ModelCatalogCache::isFetching() const {
    return core_->pending.isRunning();
}

boost::asio::awaitable<ModelCatalogCache::Refresh>
ModelCatalogCache::refresh(std::vector<HarnessReport> reports) {
    auto core = core_;
    if (core->pending.isRunning()) {
        co_await core->pending.join();
        co_return Refresh::joined;
    }
    std::map<HarnessKind, bool> signIns;
    for (const auto& report : reports)
        signIns[report.kind] = report.signedIn;
    if (std::none_of(signIns.begin(), signIns.end(), [](const auto& entry) { return entry.second; })) {
        core->lastRun.reset();
        co_return Refresh::unchanged;
    }
    if (!core->needsRun(signIns))
        co_return Refresh::unchanged;

    auto before = core->catalog;
    core->lastRun = CatalogRun{core->clock->now(), std::move(signIns)};
    SharedTask::Operation operation = [core] { return Core::fetchAndStore(core); };
    co_await core->pending.run(std::move(operation));
    co_return core->catalog == before ? Refresh::unchanged : Refresh::changed;
}

} // namespace velto
