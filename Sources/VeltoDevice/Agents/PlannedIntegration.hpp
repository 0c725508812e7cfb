#pragma once

#include "VeltoDevice/Agents/AgentIntegration.hpp"

#include <memory>

namespace velto {

/// One add-on of a harness's plan, and whether the application ships it now.
struct PlannedIntegration {
    std::shared_ptr<AgentIntegration> integration;
    bool isOffered = false;
};

} // namespace velto
