#pragma once

#include "VeltoDevice/Agents/AgentIntegration.hpp"

#include <exception>
#include <optional>
#include <string>
#include <vector>

namespace velto::testing {

/// An add-on in a given state that records which of its operations ran; each may be made to throw.
class RecordingIntegration final : public AgentIntegration {
public:
    explicit RecordingIntegration(AgentIntegrationState state) : state_(state) {}

    std::exception_ptr stateError;
    std::exception_ptr installError;
    std::exception_ptr removeError;

    boost::asio::awaitable<AgentIntegrationState> state() override {
        calls_.push_back("state");
        if (stateError)
            std::rethrow_exception(stateError);
        co_return state_;
    }
    boost::asio::awaitable<void> install() override {
        calls_.push_back("install");
        if (installError)
            std::rethrow_exception(installError);
        co_return;
    }
    boost::asio::awaitable<void> remove() override {
        calls_.push_back("remove");
        if (removeError)
            std::rethrow_exception(removeError);
        co_return;
    }

    const std::vector<std::string>& calls() const { return calls_; }

private:
    AgentIntegrationState state_;
    std::vector<std::string> calls_;
};

} // namespace velto::testing
