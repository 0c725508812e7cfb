#pragma once

#include "VeltoDevice/Harness/ProcessRunning.hpp"
#include "VeltoDevice/Support/DesktopEntry.hpp"
#include "VeltoDevice/Support/Environment.hpp"

#include <boost/asio/awaitable.hpp>

#include <filesystem>
#include <optional>

namespace velto {

/// The desktop entry through which the browser opens enrollment links: "app.velto.desktop.desktop" in
/// the applications folder, handling x-scheme-handler/velto by starting this copy's executable with
/// "--" and the link. Written by an installable copy when the file differs; made the scheme's handler
/// only when no handler is set, so a choice the user made elsewhere stands.
class LinkHandlerEntry {
public:
    static constexpr const char* entryName = "app.velto.desktop.desktop";
    static constexpr const char* scheme = "x-scheme-handler/velto";

    LinkHandlerEntry(std::filesystem::path executable, std::filesystem::path applicationsFolder);

    /// $XDG_DATA_HOME/applications (by default ~/.local/share/applications); nothing without a home.
    static std::optional<std::filesystem::path> standardFolder();

    std::filesystem::path file() const { return folder_ / entryName; }
    /// The entry this copy writes; nothing when its executable's path cannot stand in an Exec line.
    std::optional<DesktopEntry> entry() const;

    /// Writes the entry atomically when the file holds other text; true when it wrote. Throws FileError.
    bool writeIfDifferent() const;

    /// When no mimeapps.list of `environment`'s folders names an installed handler of the scheme, makes
    /// this entry the handler with `xdgMime default`. Never fails: a tool that cannot run, hangs, refuses
    /// or leaves no list naming the entry is logged ("app").
    static boost::asio::awaitable<void> claimScheme(ProcessRunning& runner, Environment environment,
                                                    std::filesystem::path xdgMime = "/usr/bin/xdg-mime");

private:
    std::filesystem::path executable_;
    std::filesystem::path folder_;
};

} // namespace velto
