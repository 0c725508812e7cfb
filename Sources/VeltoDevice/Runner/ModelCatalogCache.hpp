#pragma once

#include "VeltoDevice/Enrollment/HarnessKind.hpp"
#include "VeltoDevice/Enrollment/HarnessReport.hpp"
#include "VeltoDevice/Runner/ModelCatalog.hpp"
#include "VeltoDevice/Runner/ModelCatalogCommand.hpp"
#include "VeltoDevice/Support/Clock.hpp"

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/awaitable.hpp>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace velto {

/// Decides when the model catalog is asked for again and keeps the last good one. Queries run only
/// when `refresh` finds one due; there is no timer.
///
/// Lives on one executor (the device io_context) and is only touched from there. The query is the
/// cache's own task: a caller that is cancelled stops waiting, but the query still stores its catalog
/// and clears itself, so later refreshes never join a query that will not end.
class ModelCatalogCache {
public:
    enum class Refresh { changed, unchanged, joined };

    /// The query; never fails.
    using Fetch = std::function<boost::asio::awaitable<std::optional<ModelCatalog>>()>;

    /// A query is due again this long after the last one started.
    static constexpr std::chrono::seconds maxAge{3600};

    ModelCatalogCache(boost::asio::any_io_executor executor, std::shared_ptr<Clock> clock, Fetch fetch);
    /// Queries with `command`.
    ModelCatalogCache(boost::asio::any_io_executor executor, std::shared_ptr<Clock> clock,
                      ModelCatalogCommand command);
    ~ModelCatalogCache();

    ModelCatalogCache(const ModelCatalogCache&) = delete;
    ModelCatalogCache& operator=(const ModelCatalogCache&) = delete;

    /// The last good catalog; nothing before the first.
    const std::optional<ModelCatalog>& catalog() const;
    /// True while a query runs.
    bool isFetching() const;

    /// With the current reports: joins a running query (`joined`); with no harness signed in forgets
    /// the last run (so the next sign-in queries at once) and keeps the catalog (`unchanged`);
    /// otherwise queries when there was no run yet, `maxAge` has passed since the last one started, or
    /// the sign-ins changed (a failed query counts as a run), and tells whether the catalog changed.
    /// Never fails; cancellation ends the wait with operation_aborted and leaves the query running.
    boost::asio::awaitable<Refresh> refresh(std::vector<HarnessReport> reports);

private:
    struct Core;
    std::shared_ptr<Core> core_;
};

} // namespace velto
