#pragma once

#include "VeltoDesktop/System/MachineNaming.hpp"

namespace velto::testing {

struct FakeMachineNaming final : MachineNaming {
    std::optional<std::string> pretty;
    std::optional<std::string> host;

    std::optional<std::string> prettyName() override { return pretty; }
    std::optional<std::string> hostName() override { return host; }
};

} // namespace velto::testing
