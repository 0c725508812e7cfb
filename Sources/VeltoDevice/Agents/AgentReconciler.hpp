#pragma once

#include "VeltoDevice/Agents/AgentIntegration.hpp"
#include "VeltoDevice/Agents/AgentIntegrationOutcome.hpp"

#include <boost/asio/awaitable.hpp>

namespace velto {

/// Brings one add-on to whether it is wanted.
struct AgentReconciler {
    /// absent: install when wanted (installed), else unchanged; current: remove when unwanted (removed),
    /// else unchanged; outdated: install when wanted (updated), else remove (removed); kept: nothing
    /// (kept). A failure of any step is `failed` with its sentence; nothing is retried or undone.
    /// Throws only cancellation.
    static boost::asio::awaitable<AgentIntegrationOutcome> reconcile(AgentIntegration& integration,
                                                                     bool isWanted);
};

} // namespace velto
