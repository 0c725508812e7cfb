#pragma once

#include "VeltoDevice/LoginItem/LoginItemService.hpp"
#include "VeltoDevice/Support/DesktopEntry.hpp"
#include "VeltoDevice/Support/Environment.hpp"

#include <boost/asio/any_io_executor.hpp>

#include <filesystem>
#include <optional>
#include <string>

namespace velto {

/// The login item as an XDG autostart entry, "app.velto.desktop.desktop" in the autostart folder,
/// that starts this copy's executable. needsApproval never occurs here.
class SystemLoginItemService final : public LoginItemService {
public:
    static constexpr const char* entryName = "app.velto.desktop.desktop";

    SystemLoginItemService(std::filesystem::path executable, std::filesystem::path autostartFolder);
    /// The entry in $XDG_CONFIG_HOME/autostart (by default ~/.config/autostart). Throws
    /// FileError::noHomeFolder.
    explicit SystemLoginItemService(std::filesystem::path executable);

    /// $XDG_CONFIG_HOME/autostart. Throws FileError::noHomeFolder.
    static std::filesystem::path autostartFolder();

    const std::filesystem::path& executable() const { return executable_; }
    std::filesystem::path entryFile() const { return folder_ / entryName; }

    /// The entry this copy writes; nothing when its executable's path cannot stand in an Exec line.
    std::optional<DesktopEntry> entry() const;

    /// on when the entry is there, is neither hidden nor switched off, and its Exec starts this
    /// executable (for a path holding "%", only through the launcher of `DesktopEntry::execCommand`);
    /// unavailable when the executable cannot be named in an entry; off otherwise.
    LoginItemState state() const override;
    /// Writes the entry atomically, making the folder. Throws LoginItemError::unavailable or FileError.
    void registerItem() override;
    /// Removes the entry. Throws FileError.
    void unregisterItem() override;

    /// Opens the autostart folder (made first when missing) with `opener`, the desktop's way to show
    /// what opens at login; the opener is not waited for (it is reaped on `executor`). False, with an
    /// error log line, when the folder cannot be made or the opener cannot start.
    bool openFolder(boost::asio::any_io_executor executor, const Environment& environment,
                    const std::filesystem::path& opener = "/usr/bin/xdg-open") const;
    /// `openFolder` of $XDG_CONFIG_HOME/autostart with xdg-open.
    static bool openSystemSettings(boost::asio::any_io_executor executor, const Environment& environment);

private:
    std::filesystem::path executable_;
    std::filesystem::path folder_;
};

} // namespace velto
