#include "VeltoDevice/Runner/JobFile.hpp"

#include "VeltoDevice/Runner/RunnerError.hpp"
#include "VeltoDevice/Runner/RunnerLog.hpp"
#include "VeltoDevice/Support/FileDescriptor.hpp"
#include "VeltoDevice/Support/RandomUUID.hpp"
#include "VeltoDevice/Support/TemporaryFolderError.hpp"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace velto {

namespace {

std::string systemDescription(int error) {
    return std::generic_category().message(error);
}

/// The job folder, made when missing and opened without following a link, so that every later step
/// acts on this folder and on nothing put in its place meanwhile.
int openFolder(const std::filesystem::path& folder, const std::string& name) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        throw TemporaryFolderError(name + ": " + systemDescription(errno));
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0)
        return fd;
    int error = errno;
    struct ::stat info {};
    if ((error == ELOOP || error == ENOTDIR) && ::lstat(folder.c_str(), &info) == 0) {
        if (S_ISLNK(info.st_mode))
            throw TemporaryFolderError(name + " is a link");
        throw TemporaryFolderError(name + " is not a folder");
    }
    throw TemporaryFolderError(name + ": " + systemDescription(error));
}

void checkFolder(const FileDescriptor& folder, const std::string& name) {
    struct ::stat info {};
    if (::fstat(folder.get(), &info) != 0)
        throw TemporaryFolderError(name + ": " + systemDescription(errno));
    if (info.st_uid != ::geteuid())
        throw TemporaryFolderError(name + " belongs to another user");
    // The umask may have taken bits at the mkdir, and an older folder may have others' bits.
    if ((info.st_mode & 07777) != 0700 && ::fchmod(folder.get(), 0700) != 0)
        throw TemporaryFolderError(name + ": " + systemDescription(errno));
}

[[noreturn]] void fileFailed(int error) {
    runnerLog().error("could not write a job file: " + systemDescription(error));
    throw RunnerError::launchFailed();
}

} // namespace

std::filesystem::path JobFile::write(const Bytes& document, const std::filesystem::path& privateFolder) {
    auto folderPath = privateFolder / folderName;
    std::string folderText(folderName);
    FileDescriptor folder(openFolder(folderPath, folderText));
    checkFolder(folder, folderText);

    std::string name = randomUUID() + ".json";
    FileDescriptor file(
        ::openat(folder.get(), name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!file.isOpen())
        fileFailed(errno);
    // The umask cannot widen 0600, but it may narrow it: the runner must read and the user may write.
    bool written =
        ::fchmod(file.get(), 0600) == 0 &&
        file.writeAll(std::string_view(reinterpret_cast<const char*>(document.data()), document.size())) &&
        file.close();
    if (!written) {
        int error = errno;
        ::unlinkat(folder.get(), name.c_str(), 0);
        fileFailed(error);
    }
    return folderPath / name;
}

void JobFile::remove(const std::filesystem::path& file) noexcept {
    ::unlink(file.c_str());
}

void JobFile::removeLeftovers(const std::filesystem::path& privateFolder) noexcept {
    auto folderPath = privateFolder / folderName;
    int fd = ::open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return;
    struct ::stat info {};
    if (::fstat(fd, &info) != 0 || info.st_uid != ::geteuid()) {
        ::close(fd);
        return;
    }
    // The stream owns the descriptor from here.
    DIR* entries = ::fdopendir(fd);
    if (!entries) {
        ::close(fd);
        return;
    }
    int removed = 0;
    while (const ::dirent* entry = ::readdir(entries)) {
        std::string_view name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        if (::unlinkat(::dirfd(entries), entry->d_name, 0) == 0)
            ++removed;
    }
    ::closedir(entries);
    if (removed > 0)
        runnerLog().info("removed " + std::to_string(removed) + " job file(s) left by an earlier run");
}

} // namespace velto
