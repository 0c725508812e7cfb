#pragma once

#include "VeltoDevice/Harness/ProcessOutput.hpp"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace velto {

/// Making the command's link with an administrator's rights: pkexec runs /bin/sh with a fixed script
/// over its positional parameters, so that no path is ever quoted into a script.
struct AdministratorLink {
    /// Exits 73 when anything is at "$1" (a dangling link is nothing), else makes the folder "$2" and
    /// links "$1" to "$3".
    static constexpr std::string_view script =
        R"(if [ -e "$1" ]; then exit 73; fi; /bin/mkdir -p -- "$2" && /bin/ln -sfn -- "$3" "$1")";
    /// The script's exit status when something came first.
    static constexpr int takenStatus = 73;
    /// pkexec's exit status when the prompt was dismissed.
    static constexpr int dismissedStatus = 126;

    /// pkexec's arguments: "/bin/sh", "-c", the script, "velto-link", the link, its folder, the target.
    static std::vector<std::string> arguments(const std::filesystem::path& link,
                                              const std::filesystem::path& target);

    /// 0: success; 126: CommandLineToolError::cancelled; 73: CommandLineToolError::takenMeanwhile;
    /// anything else: failed with standard error trimmed.
    static void outcome(const ProcessOutput& output);
};

} // namespace velto
