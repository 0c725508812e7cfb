#pragma once

#include <boost/asio/awaitable.hpp>

#include <filesystem>
#include <optional>

namespace velto {

/// The file-system operations of the command's link.
class CommandLineLinks {
public:
    virtual ~CommandLineLinks() = default;

    /// Anything at the path, a dangling link included.
    virtual bool hasEntry(const std::filesystem::path& path) const = 0;
    /// Where the link at the path points (a relative target taken from the link's folder), normalised;
    /// nothing when the entry is no link or cannot be read.
    virtual std::optional<std::filesystem::path> destination(const std::filesystem::path& link) const = 0;
    /// Makes the link as the user. Throws CommandLineToolError::needsAdministrator when the system
    /// refuses the user, CommandLineToolError::failed or FileError otherwise.
    virtual void link(const std::filesystem::path& link, const std::filesystem::path& target) = 0;
    /// Makes the link with an administrator's rights. Throws CommandLineToolError::cancelled or
    /// CommandLineToolError::failed.
    virtual boost::asio::awaitable<void> linkAsAdministrator(std::filesystem::path link,
                                                             std::filesystem::path target) = 0;
};

} // namespace velto
