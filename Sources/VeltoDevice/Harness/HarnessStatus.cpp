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

std::vector<HarnessReport> HarnessStatus::reports(const std::vector<HarnessStatus>& statuses) {
    std::vector<HarnessReport> reports;
    for (const auto& status : statuses) {
        if (auto report = status.report())
            reports.push_back(std::move(*report));
    }
    return reports;
}

} // namespace velto
