#pragma once

#include "VeltoDevice/Support/DetachedLaunching.hpp"

#include <filesystem>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace velto {

/// Opens the new copy once the old process has gone: a detached shell script that waits for the
/// process to exit (at most 150 pauses of 0.2 s) and then replaces itself with the executable.
struct Relaunch {
    /// `$1` is the process to wait for, `$2` the executable, passed as separate arguments so that
    /// spaces and quotes in its path reach it unchanged.
    static constexpr std::string_view script =
        "tries=0\n"
        "while kill -0 \"$1\" 2>/dev/null && [ \"$tries\" -lt 150 ]; do\n"
        "    sleep 0.2\n"
        "    tries=$((tries + 1))\n"
        "done\n"
        "exec \"$2\"";

    /// "/bin/sh", "-c", the script, "velto-relaunch" (its $0), the process id in decimal and the path.
    static std::vector<std::string> arguments(pid_t process, const std::filesystem::path& executable);

    /// Starts the script through `launcher`; its failure is thrown.
    static void afterExit(pid_t process, const std::filesystem::path& executable,
                          DetachedLaunching& launcher);
};

} // namespace velto
