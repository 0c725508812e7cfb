#pragma once

#include "VeltoDevice/CommandLineTool/CommandLineLinks.hpp"
#include "VeltoDevice/Harness/ProcessRunning.hpp"
#include "VeltoDevice/Support/Clock.hpp"

#include <chrono>
#include <filesystem>
#include <memory>

namespace velto {

/// The link on this machine's file system; the administrator's link through pkexec.
class SystemCommandLineLinks final : public CommandLineLinks {
public:
    static constexpr Clock::Duration administratorTimeout = std::chrono::seconds(300);

    /// pkexec runs through `runner`.
    explicit SystemCommandLineLinks(std::shared_ptr<ProcessRunning> runner,
                                    std::filesystem::path pkexec = "/usr/bin/pkexec")
        : runner_(std::move(runner)), pkexec_(std::move(pkexec)) {}

    /// lstat succeeds.
    bool hasEntry(const std::filesystem::path& path) const override;
    /// readlink, a relative target taken from the link's folder, then normalised.
    std::optional<std::filesystem::path> destination(const std::filesystem::path& link) const override;
    /// Makes the folder, then symlink(2), which replaces nothing. When something is there, it is removed
    /// only if it is a link whose destination is gone at that moment, and the link is tried once more;
    /// anything else there is refused with CommandLineToolError::failed. EACCES and EPERM are
    /// CommandLineToolError::needsAdministrator; other refusals FileError.
    void link(const std::filesystem::path& link, const std::filesystem::path& target) override;
    /// pkexec with the fixed script, an empty environment and 300 s; see AdministratorLink.
    boost::asio::awaitable<void> linkAsAdministrator(std::filesystem::path link,
                                                     std::filesystem::path target) override;

private:
    bool isDangling(const std::filesystem::path& link) const;

    std::shared_ptr<ProcessRunning> runner_;
    std::filesystem::path pkexec_;
};

} // namespace velto
