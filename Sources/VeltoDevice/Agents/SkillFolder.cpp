#include "VeltoDevice/Agents/SkillFolder.hpp"

#include "VeltoDevice/Support/FileDescriptor.hpp"
#include "VeltoDevice/Support/FileError.hpp"
#include "VeltoDevice/Support/Sha256.hpp"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace velto {

namespace {

/// A file or link below the folder, as the walk saw it.
struct Entry {
    std::string path;
    bool isLink = false;
    std::string target;
    dev_t device = 0;
    ino_t inode = 0;
};

struct Folder {
    std::string path;
    dev_t device = 0;
    ino_t inode = 0;
};

bool sameObject(int fd, dev_t device, ino_t inode) {
    struct stat status {};
    return ::fstat(fd, &status) == 0 && status.st_dev == device && status.st_ino == inode;
}

/// Lists one folder into `entries` and `folders`; false when anything in it cannot be digested. The
/// folder is opened without following a link at its end, and only read when it is still the folder the
/// walk saw (a component swapped for a link meanwhile names another object).
bool list(int root, const Folder& folder, std::vector<Entry>& entries, std::vector<Folder>& folders) {
    FileDescriptor fd(::openat(root, folder.path.empty() ? "." : folder.path.c_str(),
                               O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.isOpen() || !sameObject(fd.get(), folder.device, folder.inode))
        return false;
    // The listing owns a descriptor of its own; `fd` closes the first.
    int copy = ::fcntl(fd.get(), F_DUPFD_CLOEXEC, 0);
    DIR* listing = copy < 0 ? nullptr : ::fdopendir(copy);
    if (listing == nullptr) {
        if (copy >= 0)
            ::close(copy);
        return false;
    }
    int dir = ::dirfd(listing);
    bool readable = true;
    for (;;) {
        errno = 0;
        dirent* item = ::readdir(listing);
        if (item == nullptr) {
            readable = errno == 0;
            break;
        }
        std::string_view name(item->d_name);
        if (name == "." || name == "..")
            continue;
        std::string path = folder.path.empty() ? std::string(name) : folder.path + "/" + std::string(name);
        struct stat status {};
        if (::fstatat(dir, item->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
            readable = false;
            break;
        }
        if (S_ISDIR(status.st_mode)) {
            folders.push_back({std::move(path), status.st_dev, status.st_ino});
        } else if (S_ISREG(status.st_mode)) {
            entries.push_back({std::move(path), false, {}, status.st_dev, status.st_ino});
        } else if (S_ISLNK(status.st_mode)) {
            char target[PATH_MAX + 1];
            ssize_t length = ::readlinkat(dir, item->d_name, target, sizeof target);
            if (length < 0 || static_cast<std::size_t>(length) >= sizeof target) {
                readable = false;
                break;
            }
            entries.push_back({std::move(path), true, std::string(target, static_cast<std::size_t>(length)),
                               status.st_dev, status.st_ino});
        } else {
            // A FIFO, socket or device: reading it could block or never end.
            readable = false;
            break;
        }
    }
    ::closedir(listing);
    return readable;
}

/// Feeds the file's contents in blocks; false when it cannot be read whole.
bool feedFile(int root, const Entry& entry, Sha256& hash) {
    FileDescriptor fd(::openat(root, entry.path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    return fd.isOpen() && sameObject(fd.get(), entry.device, entry.inode) && hash.feed(fd.get(), 64 * 1024);
}

} // namespace

FolderDigest SkillFolder::digest(const std::filesystem::path& folder) {
    struct stat status {};
    if (::lstat(folder.c_str(), &status) != 0)
        return errno == ENOENT || errno == ENOTDIR ? FolderDigest::missing() : FolderDigest::unreadable();
    if (!S_ISDIR(status.st_mode))
        return FolderDigest::unreadable();
    FileDescriptor root(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!root.isOpen() || !sameObject(root.get(), status.st_dev, status.st_ino))
        return FolderDigest::unreadable();

    std::vector<Entry> entries;
    std::vector<Folder> pending{{"", status.st_dev, status.st_ino}};
    while (!pending.empty()) {
        Folder next = std::move(pending.back());
        pending.pop_back();
        if (!list(root.get(), next, entries, pending))
            return FolderDigest::unreadable();
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.path < b.path; });

    Sha256 hash;
    static constexpr char zero = '\0';
    for (const Entry& entry : entries) {
        hash.update(entry.path);
        hash.update(&zero, 1);
        if (entry.isLink) {
            hash.update(std::string_view("symlink\0", 8));
            hash.update(entry.target);
        } else if (!feedFile(root.get(), entry, hash)) {
            return FolderDigest::unreadable();
        }
    }
    return FolderDigest::of(Sha256::hex(hash.finish()));
}

AgentIntegrationState SkillFolder::state(const FolderDigest& installed, const FolderDigest& shipped,
                                         const std::optional<std::string>& recorded) {
    switch (installed.kind) {
    case FolderDigest::Case::missing:
        return AgentIntegrationState::absent;
    case FolderDigest::Case::unreadable:
        return AgentIntegrationState::kept;
    case FolderDigest::Case::digest:
        break;
    }
    if (!recorded || *recorded != installed.hex)
        return AgentIntegrationState::kept;
    if (shipped.kind != FolderDigest::Case::digest)
        return AgentIntegrationState::outdated;
    return installed.hex == shipped.hex ? AgentIntegrationState::current : AgentIntegrationState::outdated;
}

AgentIntegrationState SkillFolder::state(const std::filesystem::path& installed,
                                         const std::filesystem::path& shipped,
                                         const std::optional<std::string>& recorded) {
    FolderDigest installedDigest = digest(installed);
    return state(installedDigest, digest(shipped), recorded);
}

std::string SkillFolder::installedDigest(const std::filesystem::path& installed) {
    FolderDigest found = digest(installed);
    if (found.kind != FolderDigest::Case::digest)
        throw FileError::write(installed.string(), "the copy cannot be read back");
    return found.hex;
}

} // namespace velto
