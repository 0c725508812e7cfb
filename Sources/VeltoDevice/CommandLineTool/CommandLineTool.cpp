#include "VeltoDevice/CommandLineTool/CommandLineTool.hpp"

#include "VeltoDevice/CommandLineTool/CommandLineToolError.hpp"
#include "VeltoDevice/Support/Exceptions.hpp"
#include "VeltoDevice/Support/InstallLocation.hpp"
#include "VeltoDevice/Support/NormalPath.hpp"

#include <exception>

namespace velto {

namespace {

/// The refusal of a failed link: the sentence of `failed`, else the error's own sentence.
CommandLineToolInstall refusal(const std::exception_ptr& error) {
    return CommandLineToolInstall::refused("Velto could not install the velto command. " + describe(error));
}

/// The case of a CommandLineToolError, nothing for any other error.
std::optional<CommandLineToolError::Case> caseOf(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const CommandLineToolError& failure) {
        return failure.kind();
    } catch (...) {
        return std::nullopt;
    }
}

CommandLineToolState stateOf(const CommandLineLinks& links,
                             const std::optional<std::filesystem::path>& command,
                             const std::filesystem::path& link) {
    if (!command)
        return CommandLineToolState::unavailable;
    if (!links.hasEntry(link))
        return CommandLineToolState::notInstalled;
    auto destination = links.destination(link);
    if (!destination)
        return CommandLineToolState::taken;
    if (normalPath(*destination) == normalPath(*command))
        return CommandLineToolState::installed;
    return links.hasEntry(*destination) ? CommandLineToolState::taken : CommandLineToolState::notInstalled;
}

// A free coroutine over copies: a member coroutine would keep only `this`.
boost::asio::awaitable<CommandLineToolInstall> installLink(std::shared_ptr<CommandLineLinks> links,
                                                           std::optional<std::filesystem::path> command,
                                                           std::filesystem::path link) {
    switch (stateOf(*links, command, link)) {
    case CommandLineToolState::installed:
        co_return CommandLineToolInstall::installed();
    case CommandLineToolState::taken:
        co_return CommandLineToolInstall::refused(link.string() +
                                                  " is another program. Remove it, then install again.");
    case CommandLineToolState::unavailable:
        co_return CommandLineToolInstall::refused(
            "This copy of Velto has no command to install. Start Velto from its Velto.app folder on a "
            "disk that is not read-only.");
    case CommandLineToolState::notInstalled:
        break;
    }
    std::exception_ptr failure;
    try {
        links->link(link, *command);
        co_return CommandLineToolInstall::installed();
    } catch (...) {
        failure = std::current_exception();
    }
    if (caseOf(failure) != CommandLineToolError::Case::needsAdministrator)
        co_return refusal(failure);
    try {
        co_await links->linkAsAdministrator(link, *command);
        co_return CommandLineToolInstall::installed();
    } catch (...) {
        failure = std::current_exception();
    }
    if (isCancellation(failure))
        std::rethrow_exception(failure);
    if (caseOf(failure) == CommandLineToolError::Case::cancelled)
        co_return CommandLineToolInstall::cancelled();
    co_return refusal(failure);
}

} // namespace

CommandLineTool::CommandLineTool(std::shared_ptr<CommandLineLinks> links,
                                 std::optional<std::filesystem::path> command, std::filesystem::path link)
    : links_(std::move(links)), command_(std::move(command)), link_(std::move(link)) {}

CommandLineTool CommandLineTool::inBundle(std::shared_ptr<CommandLineLinks> links,
                                          const std::filesystem::path& bundle, std::filesystem::path command,
                                          std::filesystem::path link) {
    bool mayLink = InstallLocation::isSettled(bundle);
    return CommandLineTool(std::move(links), mayLink ? std::optional(std::move(command)) : std::nullopt,
                           std::move(link));
}

CommandLineToolState CommandLineTool::state() const {
    return stateOf(*links_, command_, link_);
}

boost::asio::awaitable<CommandLineToolInstall> CommandLineTool::install() const {
    return installLink(links_, command_, link_);
}

} // namespace velto
