#include "VeltoDevice/Agents/AgentReconciler.hpp"

#include "VeltoDevice/Support/Exceptions.hpp"

#include <exception>

namespace velto {

namespace {

boost::asio::awaitable<AgentIntegrationOutcome> act(AgentIntegration& integration, bool isWanted) {
    AgentIntegrationState state = co_await integration.state();
    switch (state) {
    case AgentIntegrationState::absent:
        if (!isWanted)
            co_return AgentIntegrationOutcome::unchanged();
        co_await integration.install();
        co_return AgentIntegrationOutcome::installed();
    case AgentIntegrationState::current:
        if (isWanted)
            co_return AgentIntegrationOutcome::unchanged();
        co_await integration.remove();
        co_return AgentIntegrationOutcome::removed();
    case AgentIntegrationState::outdated:
        if (isWanted) {
            co_await integration.install();
            co_return AgentIntegrationOutcome::updated();
        }
        co_await integration.remove();
        co_return AgentIntegrationOutcome::removed();
    case AgentIntegrationState::kept:
        co_return AgentIntegrationOutcome::kept();
    }
    co_return AgentIntegrationOutcome::kept();
}

} // namespace

boost::asio::awaitable<AgentIntegrationOutcome> AgentReconciler::reconcile(AgentIntegration& integration,
                                                                           bool isWanted) {
    std::exception_ptr failure;
    try {
        co_return co_await act(integration, isWanted);
    } catch (...) {
        failure = std::current_exception();
    }
    if (isCancellation(failure))
        std::rethrow_exception(failure);
    // Every error of ours carries its sentence as what(); a harness refusal carries the tool's words.
    co_return AgentIntegrationOutcome::failed(describe(failure));
}

} // namespace velto
