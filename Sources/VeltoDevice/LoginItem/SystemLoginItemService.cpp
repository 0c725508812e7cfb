#include "VeltoDevice/LoginItem/SystemLoginItemService.hpp"

#include "VeltoDevice/LoginItem/LoginItemError.hpp"
#include "VeltoDevice/Support/DetachedProcessLauncher.hpp"
#include "VeltoDevice/Support/FileError.hpp"
#include "VeltoDevice/Support/Files.hpp"
#include "VeltoDevice/Support/Log.hpp"
#include "VeltoDevice/Support/UserFolders.hpp"

#include <system_error>

namespace velto {

namespace {

bool isTrue(const std::optional<std::string>& value) {
    return value == "true" || value == "1";
}

bool isFalse(const std::optional<std::string>& value) {
    return value == "false" || value == "0";
}

bool openingFailed(const std::exception& error) {
    Logger("app").error(std::string("could not open the autostart folder: ") + error.what());
    return false;
}

} // namespace

SystemLoginItemService::SystemLoginItemService(std::filesystem::path executable,
                                               std::filesystem::path autostartFolder)
    : executable_(std::move(executable)), folder_(std::move(autostartFolder)) {}

SystemLoginItemService::SystemLoginItemService(std::filesystem::path executable)
    : SystemLoginItemService(std::move(executable), autostartFolder()) {}

std::filesystem::path SystemLoginItemService::autostartFolder() {
    auto config = UserFolders::configHome();
    if (!config)
        throw FileError::noHomeFolder();
    return *config / "autostart";
}

std::optional<DesktopEntry> SystemLoginItemService::entry() const {
    auto exec = DesktopEntry::execCommand(executable_.string());
    if (!exec)
        return std::nullopt;
    return DesktopEntry{{{"Type", "Application"}, {"Name", "Velto"}, {"Exec", std::move(*exec)}}};
}

LoginItemState SystemLoginItemService::state() const {
    auto ours = entry();
    if (!ours)
        return LoginItemState::unavailable;
    auto text = files::readBounded(entryFile(), DesktopEntry::maximumFileSize);
    auto found = text ? DesktopEntry::parse(*text) : std::nullopt;
    if (!found || isTrue(found->value("Hidden")) || isFalse(found->value("X-GNOME-Autostart-enabled")))
        return LoginItemState::off;
    auto exec = found->value("Exec");
    if (exec == ours->value("Exec"))
        return LoginItemState::on;
    // A path with "%" starts only through our launcher: an entry naming it directly never starts.
    auto program = exec ? DesktopEntry::execProgram(*exec) : std::nullopt;
    bool direct = executable_.string().find('%') == std::string::npos;
    return direct && program == executable_.string() ? LoginItemState::on : LoginItemState::off;
}

void SystemLoginItemService::registerItem() {
    auto ours = entry();
    if (!ours)
        throw LoginItemError::unavailable();
    files::createFolders(folder_);
    files::writeAtomically(entryFile(), ours->text());
}

void SystemLoginItemService::unregisterItem() {
    files::removeIfPresent(entryFile());
}

bool SystemLoginItemService::openFolder(boost::asio::any_io_executor executor, const Environment& environment,
                                        const std::filesystem::path& opener) const {
    try {
        files::createFolders(folder_);
        DetachedProcessLauncher(std::move(executor), environment).start({opener.string(), folder_.string()});
        return true;
    } catch (const std::exception& error) {
        return openingFailed(error);
    }
}

bool SystemLoginItemService::openSystemSettings(boost::asio::any_io_executor executor,
                                                const Environment& environment) {
    try {
        return SystemLoginItemService({}, autostartFolder()).openFolder(std::move(executor), environment);
    } catch (const FileError& error) {
        return openingFailed(error);
    }
}

} // namespace velto
