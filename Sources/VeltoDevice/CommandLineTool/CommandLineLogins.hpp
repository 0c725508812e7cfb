#pragma once

#include "VeltoDevice/CommandLineTool/CommandLineLogin.hpp"

#include <cstddef>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace velto {

/// The velto command's logins, one per enrolled organization, in the file "device-logins.json":
/// {"logins": [login, …]}, pretty-printed with sorted keys. The file is the only state: every operation
/// reads it afresh, and a missing, unreadable, oversized or undecodable file holds no logins. When no
/// login remains the file is deleted, never left empty. Used from one strand (the agent's storage strand, as
/// its writes sync the file); each operation
/// runs to its end without suspending, so read-modify-writes never interleave, and the command only
/// ever sees the old file or the new one.
class CommandLineLogins {
public:
    explicit CommandLineLogins(std::filesystem::path file) : file_(std::move(file)) {}

    /// "~/.velto/device-logins.json". Throws FileError::noHomeFolder.
    static CommandLineLogins inHome();

    /// A login is a few hundred bytes; a larger file is not read.
    static constexpr std::size_t maximumFileSize = 4 * 1024 * 1024;

    const std::filesystem::path& file() const { return file_; }

    /// The stored logins in file order; never fails.
    std::vector<CommandLineLogin> logins() const;
    /// Replaces the first login of the same device id in place, or appends it; then writes.
    void keep(const CommandLineLogin& login);
    /// Keeps every stored login but this device's.
    void forget(const std::string& deviceId);
    /// Keeps, in order, the logins of these device ids; writes unless nothing was dropped and at least
    /// one login remains.
    void keepOnly(const std::set<std::string>& deviceIds);

private:
    /// Deletes the file for no logins; else replaces it with files::writeAtomically (mode 0600), making
    /// missing folders 0700. Throws FileError (the folder, the removal) or
    /// CommandLineLoginError::unwritable; a failed write leaves the previous file and no temporary one.
    void write(const std::vector<CommandLineLogin>& logins) const;

    std::filesystem::path file_;
};

} // namespace velto
