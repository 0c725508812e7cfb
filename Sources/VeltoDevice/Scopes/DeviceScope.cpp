#include "VeltoDevice/Scopes/DeviceScope.hpp"

namespace velto {

namespace {

constexpr std::array<DeviceScope, 2> reachWidens{DeviceScope::sreQuestions, DeviceScope::sreInvestigations};

} // namespace

std::string_view rawValue(DeviceScope scope) {
    switch (scope) {
    case DeviceScope::reviews:
        return "reviews";
    case DeviceScope::sreQuestions:
        return "sre-questions";
    case DeviceScope::sreInvestigations:
        return "sre-investigations";
    case DeviceScope::sreReach:
        return "sre-reach";
    }
    return {};
}

std::optional<DeviceScope> deviceScopeFromRawValue(std::string_view text) {
    for (DeviceScope scope : allDeviceScopes) {
        if (rawValue(scope) == text)
            return scope;
    }
    return std::nullopt;
}

std::string_view title(DeviceScope scope) {
    switch (scope) {
    case DeviceScope::reviews:
        return "Reviews";
    case DeviceScope::sreQuestions:
        return "Production Questions";
    case DeviceScope::sreInvestigations:
        return "Background Investigations";
    case DeviceScope::sreReach:
        return "Production Data";
    }
    return {};
}

std::string_view consent(DeviceScope scope) {
    switch (scope) {
    case DeviceScope::reviews:
        return "Velto reviews run on the harnesses you're signed into, on your plan instead of API keys.";
    case DeviceScope::sreQuestions:
        return "Questions you ask about production run on this computer, on your own Claude Code or Codex "
               "login, "
               "and "
               "count against your plan. To answer, Velto sends log lines from your organization's projects, "
               "and "
               "code from repositories you can see, to that harness's provider under your account and its "
               "terms, "
               "not your organization's.";
    case DeviceScope::sreInvestigations:
        return "When Velto notices a new problem in production, it may investigate it on this computer "
               "without "
               "you "
               "asking, whenever the computer is awake and connected, on your own Claude Code or Codex "
               "login, "
               "counting "
               "against your plan. Log lines from your organization's projects, and code from repositories "
               "you "
               "can see, are sent to that harness's provider under your account and its terms. Velto runs at "
               "most 4 an hour on your logins, and shares them with others who agreed.";
    case DeviceScope::sreReach:
        return "Questions and investigations you agreed to may also read the production systems your "
               "organization connected: rows from its databases, and the state of its clusters and its cloud "
               "account. They run on your own Claude Code or Codex login, against your plan, and what those "
               "reads return is sent to that harness's provider beside log lines, under your account and its "
               "terms. Velto makes every read on its own servers; this computer never holds a production "
               "credential.";
    }
    return {};
}

std::span<const DeviceScope> widens(DeviceScope scope) {
    if (scope == DeviceScope::sreReach)
        return reachWidens;
    return {};
}

} // namespace velto
