#pragma once

#include "VeltoDevice/Enrollment/HarnessKind.hpp"
#include "VeltoDevice/Harness/HarnessStatus.hpp"

#include <QString>
#include <optional>
#include <set>
#include <vector>

namespace velto {

/// One harness kind on the monitoring step: its caption, whether its switch can be used, and its
/// switch.
struct AgentIntegrationRow {
    HarnessKind kind = HarnessKind::claudeCode;
    QString name;
    QString caption;
    bool isInstalled = false;
    bool isOn = false;

    /// One row per kind in display order, each with the first detected status of its kind.
    static std::vector<AgentIntegrationRow> rows(const std::vector<HarnessStatus>& harnesses,
                                                 const std::set<HarnessKind>& monitored);

    friend bool operator==(const AgentIntegrationRow&, const AgentIntegrationRow&) = default;
};

} // namespace velto
