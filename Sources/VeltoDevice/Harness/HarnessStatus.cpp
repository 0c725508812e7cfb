#include "VeltoDevice/Harness/HarnessStatus.hpp"

namespace velto {

HarnessStatus HarnessStatus::installed(HarnessKind kind, std::filesystem::path executable,
                                       std::optional<std::string> version, LoginState login) {
    return {kind, Installed{std::move(executable), std::move(version), login}};
}

HarnessStatus HarnessStatus::notInstalled(HarnessKind kind) {
    return {kind, NotInstalled{}};
}

std::optional<HarnessReport> HarnessStatus::report() const {
    const auto* tool = installedTool();
    if (tool == nullptr)
        return std::nullopt;
    return HarnessReport{kind, tool->version, tool->login == LoginState::signedIn, std::nullopt};
}

} // namespace velto
