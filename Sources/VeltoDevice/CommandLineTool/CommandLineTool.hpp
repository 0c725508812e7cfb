#pragma once

#include "VeltoDevice/CommandLineTool/CommandLineLinks.hpp"
#include "VeltoDevice/CommandLineTool/CommandLineToolInstall.hpp"
#include "VeltoDevice/CommandLineTool/CommandLineToolState.hpp"

#include <boost/asio/awaitable.hpp>

#include <filesystem>
#include <memory>
#include <optional>

namespace velto {

/// The velto command's link: a symbolic link at `link` pointing at the command inside this copy.
class CommandLineTool {
public:
    /// `command` is nothing when this copy may not link its command.
    CommandLineTool(std::shared_ptr<CommandLineLinks> links, std::optional<std::filesystem::path> command,
                    std::filesystem::path link);

    /// The tool of the running copy: `command` is kept when the bundle has no install-location problem
    /// or only an unwritable folder; outside an app bundle, translocated or on a read-only volume there
    /// is none to link.
    static CommandLineTool inBundle(std::shared_ptr<CommandLineLinks> links, const std::filesystem::path& bundle,
                                    std::filesystem::path command, std::filesystem::path link);

    /// "/usr/local/bin/velto".
    static std::filesystem::path standardLink() { return "/usr/local/bin/velto"; }

    const std::optional<std::filesystem::path>& command() const { return command_; }
    const std::filesystem::path& link() const { return link_; }

    /// Read afresh each time: unavailable without a command; notInstalled with nothing at the link;
    /// taken for an entry that is no link; installed for a link to the command (after normalising
    /// both); taken for a link to something else that exists; notInstalled for a dangling link.
    CommandLineToolState state() const;

    /// Links as the user, asking for an administrator when the system refuses the user. Never throws
    /// but cancellation; every failure is `refused` with one sentence, a dismissed prompt `cancelled`.
    boost::asio::awaitable<CommandLineToolInstall> install() const;

private:
    std::shared_ptr<CommandLineLinks> links_;
    std::optional<std::filesystem::path> command_;
    std::filesystem::path link_;
};

} // namespace velto
