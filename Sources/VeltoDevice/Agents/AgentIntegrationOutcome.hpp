#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velto {

/// What bringing one harness's add-ons to the user's choice did; the harness list shows it.
struct AgentIntegrationOutcome {
    enum class Case { failed, unchanged, installed, updated, removed, kept };

    Case kind = Case::unchanged;
    /// The reason of `failed`; empty otherwise.
    std::string reason;

    static AgentIntegrationOutcome failed(std::string reason) { return {Case::failed, std::move(reason)}; }
    static AgentIntegrationOutcome unchanged() { return {Case::unchanged, {}}; }
    static AgentIntegrationOutcome installed() { return {Case::installed, {}}; }
    static AgentIntegrationOutcome updated() { return {Case::updated, {}}; }
    static AgentIntegrationOutcome removed() { return {Case::removed, {}}; }
    static AgentIntegrationOutcome kept() { return {Case::kept, {}}; }

    /// The first failure in order, else the first of installed, updated, removed and kept that occurs,
    /// else unchanged (also for no outcomes at all).
    static AgentIntegrationOutcome combined(const std::vector<AgentIntegrationOutcome>& outcomes);

    friend bool operator==(const AgentIntegrationOutcome&, const AgentIntegrationOutcome&) = default;
};

/// "failed", "unchanged", "installed", "updated", "removed", "kept": the case's name in log lines.
std::string_view caseName(AgentIntegrationOutcome::Case kind);

} // namespace velto
