#pragma once

#include "VeltoDevice/Enrollment/HarnessKind.hpp"
#include "VeltoDevice/Enrollment/HarnessReport.hpp"
#include "VeltoDevice/Harness/LoginState.hpp"

#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace velto {

/// The detected state of one harness tool; identified by its kind.
struct HarnessStatus {
    /// Found on the login PATH.
    struct Installed {
        std::filesystem::path executable;
        /// Nothing when the version could not be read.
        std::optional<std::string> version;
        LoginState login = LoginState::unknown;

        friend bool operator==(const Installed&, const Installed&) = default;
    };
    /// Not on the login PATH; nothing was run.
    struct NotInstalled {
        friend bool operator==(const NotInstalled&, const NotInstalled&) = default;
    };
    using Installation = std::variant<Installed, NotInstalled>;

    HarnessKind kind = HarnessKind::claudeCode;
    Installation installation = NotInstalled{};

    static HarnessStatus installed(HarnessKind kind, std::filesystem::path executable,
                                   std::optional<std::string> version, LoginState login);
    static HarnessStatus notInstalled(HarnessKind kind);

    /// The installation when the tool is installed.
    const Installed* installedTool() const { return std::get_if<Installed>(&installation); }

    /// What the server is told: for an installed tool its kind, version and whether it is signed in
    /// (`signedOut` and `unknown` both report false), without models; nothing when not installed.
    std::optional<HarnessReport> report() const;
    /// The reports of the installed tools among `statuses`, in their order.
    static std::vector<HarnessReport> reports(const std::vector<HarnessStatus>& statuses);

    friend bool operator==(const HarnessStatus&, const HarnessStatus&) = default;
};

} // namespace velto
