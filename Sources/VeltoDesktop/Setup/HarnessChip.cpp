#include "VeltoDesktop/Setup/HarnessChip.hpp"

namespace velto {

std::vector<HarnessChip> HarnessChip::chips(const std::vector<HarnessStatus>& harnesses) {
    std::vector<HarnessChip> chips;
    for (const auto& harness : harnesses) {
        const auto* tool = harness.installedTool();
        if (!tool)
            continue;
        const auto name = displayName(harness.kind);
        chips.push_back({harness.kind, QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())),
                         tool->login == LoginState::signedIn});
    }
    return chips;
}

} // namespace velto
