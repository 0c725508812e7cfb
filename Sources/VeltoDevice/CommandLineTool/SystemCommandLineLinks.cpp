#include "VeltoDevice/CommandLineTool/SystemCommandLineLinks.hpp"

#include "VeltoDevice/CommandLineTool/AdministratorLink.hpp"
#include "VeltoDevice/CommandLineTool/CommandLineToolError.hpp"
#include "VeltoDevice/Support/FileError.hpp"
#include "VeltoDevice/Support/NormalPath.hpp"

#include <cerrno>
#include <climits>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace velto {

namespace {

bool isPermissionError(int error) {
    return error == EACCES || error == EPERM;
}

} // namespace

bool SystemCommandLineLinks::hasEntry(const std::filesystem::path& path) const {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
}

std::optional<std::filesystem::path>
SystemCommandLineLinks::destination(const std::filesystem::path& link) const {
    char target[PATH_MAX + 1];
    ssize_t length = ::readlink(link.c_str(), target, sizeof target);
    if (length < 0 || static_cast<std::size_t>(length) >= sizeof target)
        return std::nullopt;
    std::filesystem::path destination(std::string(target, static_cast<std::size_t>(length)));
    if (destination.is_relative())
        destination = link.parent_path() / destination;
    return normalPath(destination);
}

bool SystemCommandLineLinks::isDangling(const std::filesystem::path& link) const {
    auto target = destination(link);
    return target && !hasEntry(*target);
}

void SystemCommandLineLinks::link(const std::filesystem::path& link, const std::filesystem::path& target) {
    const auto folder = link.parent_path();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        if (isPermissionError(error.value()))
            throw CommandLineToolError::needsAdministrator();
        throw FileError::createFolder(folder.string(), error.message());
    }
    for (int attempt = 0;; ++attempt) {
        if (::symlink(target.c_str(), link.c_str()) == 0)
            return;
        int failure = errno;
        if (isPermissionError(failure))
            throw CommandLineToolError::needsAdministrator();
        if (failure != EEXIST)
            throw FileError::write(link.string(), FileError::describe(failure));
        // Only a link whose destination is gone may make way; a file, a folder or a live link never.
        if (attempt > 0 || !isDangling(link))
            throw CommandLineToolError::takenMeanwhile();
        if (::unlink(link.c_str()) != 0 && errno != ENOENT) {
            if (isPermissionError(errno))
                throw CommandLineToolError::needsAdministrator();
            throw FileError::remove(link.string(), FileError::describe(errno));
        }
    }
}

boost::asio::awaitable<void> SystemCommandLineLinks::linkAsAdministrator(std::filesystem::path link,
                                                                         std::filesystem::path target) {
    ProcessOutput output;
    try {
        auto running = runner_->run(pkexec_, AdministratorLink::arguments(link, target), {},
                                    administratorTimeout, std::nullopt);
        output = co_await std::move(running);
    } catch (const Error& error) {
        throw CommandLineToolError::failed(error.description());
    }
    AdministratorLink::outcome(output);
}

} // namespace velto
