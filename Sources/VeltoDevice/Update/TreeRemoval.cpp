#include "VeltoDevice/Update/TreeRemoval.hpp"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace velto {

namespace {

constexpr int folderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

/// Opens the folder `name` in `parent` for listing and removing its entries, first giving its owner
/// every permission it lacks. -1 when it is not a folder (a link to one included) or cannot be opened.
int openFolderToEmpty(int parent, const char* name, mode_t mode) {
    int folder = ::openat(parent, name, folderFlags);
    if (folder < 0 && errno == EACCES) {
        // No read or search permission: change it without following a link in the folder's place.
        if (::fchmodat(parent, name, (mode & 07777) | S_IRWXU, AT_SYMLINK_NOFOLLOW) != 0)
            return -1;
        folder = ::openat(parent, name, folderFlags);
    }
    if (folder < 0)
        return -1;
    struct stat info {};
    if (::fstat(folder, &info) != 0 || !S_ISDIR(info.st_mode)) {
        ::close(folder);
        return -1;
    }
    if ((info.st_mode & S_IRWXU) != S_IRWXU)
        ::fchmod(folder, (info.st_mode & 07777) | S_IRWXU);
    return folder;
}

void removeAt(int parent, const char* name);

/// Removes every entry of the open folder, which it closes.
void empty(int folder) {
    DIR* listing = ::fdopendir(folder);
    if (listing == nullptr) {
        ::close(folder);
        return;
    }
    // Listed whole before anything is removed, as a listing that changes under it may skip entries.
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(listing)) {
        std::string name(entry->d_name);
        if (name != "." && name != "..")
            names.push_back(std::move(name));
    }
    for (const auto& name : names)
        removeAt(::dirfd(listing), name.c_str());
    ::closedir(listing);
}

void removeAt(int parent, const char* name) {
    struct stat info {};
    if (::fstatat(parent, name, &info, AT_SYMLINK_NOFOLLOW) != 0)
        return;
    if (!S_ISDIR(info.st_mode)) {
        ::unlinkat(parent, name, 0);
        return;
    }
    int folder = openFolderToEmpty(parent, name, info.st_mode);
    if (folder < 0)
        return;
    empty(folder);
    ::unlinkat(parent, name, AT_REMOVEDIR);
}

} // namespace

void TreeRemoval::remove(const std::filesystem::path& path) noexcept {
    try {
        auto normal = path.lexically_normal();
        if (!normal.has_filename())
            normal = normal.parent_path();
        auto name = normal.filename();
        if (name.empty() || name == "." || name == "..")
            return;
        auto parentPath = normal.parent_path();
        int parent = ::open(parentPath.empty() ? "." : parentPath.c_str(), folderFlags & ~O_NOFOLLOW);
        if (parent < 0)
            return;
        removeAt(parent, name.c_str());
        ::close(parent);
    } catch (...) {
        // Only the path's own strings can throw (out of memory); removal never fails.
    }
}

} // namespace velto
