#pragma once

#include "VeltoDevice/Harness/LoginPathResolving.hpp"
#include "VeltoDevice/Harness/ProcessRunning.hpp"

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace velto {

/// Asks the user's login shell for the PATH its start-up files set up, and finds executables on a
/// PATH. Keeps nothing: every `resolve` asks the shell again.
class LoginShellPath final : public LoginPathResolving {
public:
    static constexpr std::string_view marker = "__VELTO_PATH__";
    /// Prints the PATH between two markers and nothing else.
    static constexpr std::string_view shellCommand = "printf '__VELTO_PATH__%s__VELTO_PATH__' \"$PATH\"";
    /// The PATH when no shell run gives one and the environment has none.
    static constexpr std::string_view fallbackPath = "/usr/bin:/bin:/usr/sbin:/sbin";
    /// Each shell run's time-out.
    static constexpr std::chrono::seconds timeout{10};

    explicit LoginShellPath(std::shared_ptr<ProcessRunning> runner);

    /// Runs the shell twice at once: interactive login ("-i", "+m", "-l", "-c") and plain login
    /// ("-l", "-c"). The interactive run's PATH wins whenever it gives one, even when the other
    /// finished first (that one is then stopped); else the plain run's; else the environment's
    /// "PATH", else `fallbackPath`.
    boost::asio::awaitable<std::string> resolve(Environment environment) override;

    /// The login shell: "SHELL" of the environment, else the password database's shell, else
    /// /bin/zsh when it is there, else /bin/sh. An empty or relative value counts as missing.
    static std::filesystem::path shell(const Environment& environment);

    /// The text between the first two markers of a shell's output; nothing with fewer than two
    /// markers or nothing between them. Whatever start-up files print around them is ignored.
    static std::optional<std::string> extract(std::string_view output);

    /// The first regular, executable file called `name` in the PATH's folders, in order. Empty and
    /// relative entries are skipped (a relative one would depend on our working folder).
    static std::optional<std::filesystem::path> locate(std::string_view name, std::string_view path);

    /// A regular file (links followed) that this process may execute.
    static bool isExecutableFile(const std::filesystem::path& path);

private:
    std::shared_ptr<ProcessRunning> runner_;
};

} // namespace velto
