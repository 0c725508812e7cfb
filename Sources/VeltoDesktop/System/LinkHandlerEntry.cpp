#include "VeltoDesktop/System/LinkHandlerEntry.hpp"

#include "VeltoDesktop/AppLog.hpp"
#include "VeltoDesktop/System/DefaultApplications.hpp"
#include "VeltoDevice/Support/Exceptions.hpp"
#include "VeltoDevice/Support/Files.hpp"
#include "VeltoDevice/Support/UserFolders.hpp"

#include <chrono>
#include <exception>

namespace velto {

namespace {

constexpr std::chrono::seconds xdgMimeTimeout{10};

} // namespace

LinkHandlerEntry::LinkHandlerEntry(std::filesystem::path executable, std::filesystem::path applicationsFolder)
    : executable_(std::move(executable)), folder_(std::move(applicationsFolder)) {}

std::optional<std::filesystem::path> LinkHandlerEntry::standardFolder() {
    auto data = UserFolders::dataHome();
    if (!data)
        return std::nullopt;
    return *data / "applications";
}

std::optional<DesktopEntry> LinkHandlerEntry::entry() const {
    auto exec = DesktopEntry::execCommand(executable_.string());
    if (!exec)
        return std::nullopt;
    return DesktopEntry{{{"Type", "Application"},
                         {"Name", "Velto"},
                         {"Exec", *exec + " -- %u"},
                         {"MimeType", std::string(scheme) + ";"},
                         {"NoDisplay", "true"},
                         {"Terminal", "false"}}};
}

bool LinkHandlerEntry::writeIfDifferent() const {
    auto ours = entry();
    if (!ours)
        return false;
    const auto text = ours->text();
    if (files::readBounded(file(), DesktopEntry::maximumFileSize, false) == text)
        return false;
    files::createFolders(folder_);
    files::writeAtomically(file(), text);
    return true;
}

boost::asio::awaitable<void> LinkHandlerEntry::claimScheme(ProcessRunning& runner, Environment environment,
                                                           std::filesystem::path xdgMime) {
    std::exception_ptr failure;
    try {
        if (DefaultApplications::handler(scheme, environment))
            co_return;
        std::vector<std::string> choosing{"default", entryName, scheme};
        auto making = runner.run(xdgMime, std::move(choosing), environment, xdgMimeTimeout, std::nullopt);
        auto made = co_await std::move(making);
        if (made.exitCode != 0) {
            appLog().error("could not make Velto the handler of its links: xdg-mime exited " +
                           std::to_string(made.exitCode));
        } else if (DefaultApplications::handler(scheme, environment) != entryName) {
            appLog().error("could not make Velto the handler of its links: xdg-mime named it in no "
                           "mimeapps.list");
        } else {
            appLog().info("Velto now opens enrollment links");
        }
    } catch (...) {
        failure = std::current_exception();
    }
    if (failure && !isCancellation(failure))
        appLog().error("could not make Velto the handler of its links: " + describe(failure));
}

} // namespace velto
