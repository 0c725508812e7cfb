#include "VeltoDevice/Harness/HarnessProbe.hpp"

#include "VeltoDevice/Harness/DottedNumber.hpp"
#include "VeltoDevice/Support/Json.hpp"

namespace velto {

namespace {

bool contains(std::string_view text, std::string_view phrase) {
    return text.find(phrase) != std::string_view::npos;
}

} // namespace

std::vector<std::string> HarnessProbe::versionArguments() {
    return {"--version"};
}

std::vector<std::string> HarnessProbe::loginArguments(HarnessKind kind) {
    switch (kind) {
    case HarnessKind::claudeCode:
        return {"auth", "status", "--json"};
    case HarnessKind::codex:
        return {"login", "status"};
    case HarnessKind::muse:
        return {"usage", "--json"};
    }
    return {};
}

std::optional<std::string> HarnessProbe::parseVersion(std::string_view text) {
    if (auto version = DottedNumber::first(text, 2, 2, true))
        return std::string(*version);
    return std::nullopt;
}

LoginState HarnessProbe::parseLoginState(const ProcessOutput& output, HarnessKind kind) {
    switch (kind) {
    case HarnessKind::claudeCode:
        return parseClaudeLogin(output);
    case HarnessKind::codex:
        return parseCodexLogin(output);
    case HarnessKind::muse:
        return parseMuseLogin(output);
    }
    return LoginState::unknown;
}

LoginState HarnessProbe::parseClaudeLogin(const ProcessOutput& output) {
    auto answer = parseJson(output.standardOutput);
    if (!answer)
        return LoginState::unknown;
    auto loggedIn = json::boolean(*answer, "loggedIn");
    if (!loggedIn)
        return LoginState::unknown;
    return *loggedIn ? LoginState::signedIn : LoginState::signedOut;
}

LoginState HarnessProbe::parseCodexLogin(const ProcessOutput& output) {
    auto text = output.combined();
    if (contains(text, "Not logged in"))
        return LoginState::signedOut;
    if (output.exitCode == 0 && contains(text, "Logged in"))
        return LoginState::signedIn;
    return LoginState::unknown;
}

LoginState HarnessProbe::parseMuseLogin(const ProcessOutput& output) {
    if (output.exitCode == 0)
        return LoginState::signedIn;
    auto text = output.combined();
    if (contains(text, "not logged in"))
        return LoginState::signedOut;
    if (contains(text, "usage refresh failed"))
        return LoginState::signedIn;
    return LoginState::unknown;
}

} // namespace velto
