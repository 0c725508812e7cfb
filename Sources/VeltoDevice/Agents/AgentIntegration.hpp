#pragma once

#include "VeltoDevice/Agents/AgentIntegrationState.hpp"

#include <boost/asio/awaitable.hpp>

namespace velto {

/// One add-on in one harness tool: read where it stands, install it (replacing whatever is in its
/// place, so an update is the same install), remove it. The object outlives the operations it starts.
class AgentIntegration {
public:
    virtual ~AgentIntegration() = default;

    virtual boost::asio::awaitable<AgentIntegrationState> state() = 0;
    virtual boost::asio::awaitable<void> install() = 0;
    virtual boost::asio::awaitable<void> remove() = 0;
};

} // namespace velto
