#pragma once

#include "VeltoDevice/Enrollment/HarnessKind.hpp"
#include "VeltoDevice/Harness/LoginState.hpp"
#include "VeltoDevice/Harness/ProcessOutput.hpp"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velto {

/// The commands that probe a harness tool and the readers of their answers.
struct HarnessProbe {
    /// ["--version"], for every kind.
    static std::vector<std::string> versionArguments();
    /// Claude Code: "auth status --json"; Codex: "login status"; Muse: "usage --json".
    static std::vector<std::string> loginArguments(HarnessKind kind);

    /// The first three dot-separated numbers in the text, with a hyphenated pre-release suffix of
    /// letters, digits and dots when one follows ("1.0.72-beta.1"); nothing without one.
    static std::optional<std::string> parseVersion(std::string_view text);

    static LoginState parseLoginState(const ProcessOutput& output, HarnessKind kind);
    /// The standard output as JSON {"loggedIn": bool}, whatever the status; anything else is unknown.
    static LoginState parseClaudeLogin(const ProcessOutput& output);
    /// "Not logged in" anywhere: signed out; else status 0 and "Logged in": signed in; else unknown.
    static LoginState parseCodexLogin(const ProcessOutput& output);
    /// Status 0: signed in. Else "not logged in": signed out; else "usage refresh failed" (it knows
    /// the account): signed in; else unknown.
    static LoginState parseMuseLogin(const ProcessOutput& output);
};

} // namespace velto
