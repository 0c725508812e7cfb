#pragma once

#include "VeltoDevice/Enrollment/HarnessReport.hpp"
#include "VeltoDevice/Harness/HarnessDetector.hpp"
#include "VeltoDevice/Harness/HarnessStatus.hpp"

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/awaitable.hpp>

#include <functional>
#include <memory>
#include <vector>

namespace velto {

/// The latest detected harness statuses for the whole application; any number of callers may ask
/// for a fresh detection, and only one runs at a time.
///
/// Lives on one executor (the device io_context) and is only touched from there. The detection is
/// the inventory's own task: a caller that is cancelled stops waiting, but the detection still
/// stores its statuses and clears itself, so later refreshes never join a detection that will not
/// end.
class HarnessInventory {
public:
    enum class Refresh { changed, unchanged, joined };

    /// Detects every kind; never fails.
    using Detect = std::function<boost::asio::awaitable<std::vector<HarnessStatus>>()>;

    HarnessInventory(boost::asio::any_io_executor executor, Detect detect);
    /// Detects with `detector`.
    HarnessInventory(boost::asio::any_io_executor executor, HarnessDetector detector);
    ~HarnessInventory();

    HarnessInventory(const HarnessInventory&) = delete;
    HarnessInventory& operator=(const HarnessInventory&) = delete;

    /// Empty until the first detection has finished; then replaced whole by each one.
    const std::vector<HarnessStatus>& statuses() const;
    /// True while a detection runs.
    bool isDetecting() const;
    /// The reports of the installed tools, in the statuses' order, without models.
    std::vector<HarnessReport> reports() const;

    /// Joins the running detection (`joined`, once it has ended; nothing is compared), or runs a new
    /// one and tells whether the reports changed with it. Never fails; cancellation ends the wait with
    /// operation_aborted and leaves the detection running.
    boost::asio::awaitable<Refresh> refresh();

private:
    struct Core;
    std::shared_ptr<Core> core_;
};

} // namespace velto
