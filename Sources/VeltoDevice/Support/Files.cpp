#include "VeltoDevice/Support/Files.hpp"

#include "VeltoDevice/Support/FileDescriptor.hpp"
#include "VeltoDevice/Support/FileError.hpp"
#include "VeltoDevice/Support/UserFolders.hpp"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace velto::files {

namespace {

std::filesystem::path folderOf(const std::filesystem::path& path) {
    auto folder = path.parent_path();
    return folder.empty() ? std::filesystem::path(".") : folder;
}

/// Makes a finished rename durable. A folder that cannot be flushed leaves the file written.
void syncFolder(const std::filesystem::path& folder) {
    FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() >= 0)
        ::fsync(fd.get());
}

} // namespace

std::optional<std::string> readIfPresent(const std::filesystem::path& path, std::size_t limit,
                                         bool followLink) {
    // Non-blocking, so that a pipe or device in the file's place cannot hang the open.
    int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | (followLink ? 0 : O_NOFOLLOW);
    FileDescriptor fd(::open(path.c_str(), flags));
    if (fd.get() < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return std::nullopt;
        throw std::system_error(errno, std::generic_category(), path.string());
    }
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0)
        throw std::system_error(errno, std::generic_category(), path.string());
    if (!S_ISREG(status.st_mode)) {
        int error = S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
        throw std::system_error(error, std::generic_category(), path.string());
    }
    if (static_cast<std::uintmax_t>(status.st_size) > limit)
        throw std::length_error(path.string());
    std::string content;
    content.reserve(static_cast<std::size_t>(status.st_size));
    char buffer[16384];
    for (;;) {
        ssize_t count = ::read(fd.get(), buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            throw std::system_error(errno, std::generic_category(), path.string());
        }
        if (count == 0)
            break;
        content.append(buffer, static_cast<std::size_t>(count));
        if (content.size() > limit)
            throw std::length_error(path.string());
    }
    return content;
}

std::optional<std::string> readBounded(const std::filesystem::path& path, std::uintmax_t limit,
                                       bool followLink) {
    try {
        return readIfPresent(path, limit, followLink);
    } catch (const std::system_error&) {
    } catch (const std::length_error&) {
    }
    return std::nullopt;
}

void writeAtomically(const std::filesystem::path& path, std::string_view bytes) {
    const auto folder = folderOf(path);
    // Appended, not `"x" + std::string`: optimised g++ 12 reports a false overflow inside that operator.
    std::string temporary =
        (folder / std::string(".").append(path.filename().string()).append(".XXXXXX")).string();
    FileDescriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (fd.get() < 0)
        throw FileError::write(path.string(), FileError::describe(errno));

    auto fail = [&](int error) {
        ::unlink(temporary.c_str());
        return FileError::write(path.string(), FileError::describe(error));
    };
    if (::fchmod(fd.get(), 0600) != 0 || !fd.writeAll(bytes) || ::fsync(fd.get()) != 0)
        throw fail(errno);
    if (!fd.close())
        throw fail(errno);
    if (::rename(temporary.c_str(), path.c_str()) != 0)
        throw fail(errno);
    syncFolder(folder);
}

void createFolders(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
        throw FileError::createFolder(folder.string(), error.message());
    // An existing file in the folder's place is no folder.
    if (!std::filesystem::is_directory(folder, error))
        throw FileError::createFolder(folder.string(), FileError::describe(ENOTDIR));
}

void moveWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return;
    int error = errno;
    if (error == EINVAL || error == ENOSYS) {
        // A file system without no-replace renames: look first. Only this process writes here.
        struct stat status {};
        if (::lstat(to.c_str(), &status) == 0)
            throw FileError::setAside(from.string(), FileError::describe(EEXIST));
        if (::rename(from.c_str(), to.c_str()) == 0)
            return;
        error = errno;
    }
    throw FileError::setAside(from.string(), FileError::describe(error));
}

void removeIfPresent(const std::filesystem::path& path) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT)
        throw FileError::remove(path.string(), FileError::describe(errno));
}

std::filesystem::path setAside(const std::filesystem::path& file, std::chrono::system_clock::time_point now) {
    auto seconds = std::chrono::duration_cast<std::chrono::seconds>(now.time_since_epoch()).count();
    auto target =
        file.parent_path() / (file.stem().string() + ".damaged-" + std::to_string(seconds) + ".json");
    moveWithoutReplacing(file, target);
    return target;
}

std::filesystem::path applicationSupportFile(std::string_view name) {
    auto folder = UserFolders::dataHome();
    if (!folder)
        throw FileError::noHomeFolder();
    createFolders(*folder);
    return *folder / "Velto" / name;
}

} // namespace velto::files
