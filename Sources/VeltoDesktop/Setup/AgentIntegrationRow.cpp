#include "VeltoDesktop/Setup/AgentIntegrationRow.hpp"

#include "VeltoDesktop/UserTexts.hpp"

namespace velto {

std::vector<AgentIntegrationRow> AgentIntegrationRow::rows(const std::vector<HarnessStatus>& harnesses,
                                                           const std::set<HarnessKind>& monitored) {
    std::vector<AgentIntegrationRow> rows;
    for (auto kind : allHarnessKinds) {
        const HarnessStatus* status = nullptr;
        for (const auto& harness : harnesses) {
            if (harness.kind == kind) {
                status = &harness;
                break;
            }
        }
        AgentIntegrationRow row;
        row.kind = kind;
        row.name =
            QString::fromUtf8(displayName(kind).data(), static_cast<qsizetype>(displayName(kind).size()));
        row.isInstalled = status && status->installedTool();
        row.caption = UserTexts::agentCaption(row.isInstalled, kind == HarnessKind::claudeCode);
        row.isOn = monitored.count(kind) > 0;
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace velto
