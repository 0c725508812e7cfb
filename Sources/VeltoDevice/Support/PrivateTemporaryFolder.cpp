#include "VeltoDevice/Support/PrivateTemporaryFolder.hpp"

#include "VeltoDevice/Support/TemporaryFolderError.hpp"

#include <cerrno>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace velto {

namespace {

std::string systemDescription(int error) {
    return std::generic_category().message(error);
}

} // namespace

void PrivateTemporaryFolder::check(const std::filesystem::path& folder) {
    struct ::stat info {};
    // lstat: a link is refused as such, never followed to whatever it names.
    if (::lstat(folder.c_str(), &info) != 0)
        throw TemporaryFolderError(systemDescription(errno));
    if (S_ISLNK(info.st_mode))
        throw TemporaryFolderError("it is a link");
    if (!S_ISDIR(info.st_mode))
        throw TemporaryFolderError("it is not a folder");
    if (info.st_uid != ::geteuid())
        throw TemporaryFolderError("it belongs to another user");
    if ((info.st_mode & 07777) != 0700)
        throw TemporaryFolderError("others may enter it");
}

std::filesystem::path PrivateTemporaryFolder::path() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR")) {
        std::filesystem::path folder(runtime);
        // A relative value is not a runtime folder (the base directory rules say to ignore it).
        if (folder.is_absolute()) {
            check(folder);
            return folder;
        }
    }
    std::filesystem::path folder = std::filesystem::path("/tmp") / ("velto-" + std::to_string(::geteuid()));
    if (::mkdir(folder.c_str(), 0700) == 0) {
        // The umask may have taken more than others' bits.
        if (::chmod(folder.c_str(), 0700) != 0)
            throw TemporaryFolderError(systemDescription(errno));
    } else if (errno != EEXIST) {
        throw TemporaryFolderError(systemDescription(errno));
    }
    check(folder);
    return folder;
}

} // namespace velto
