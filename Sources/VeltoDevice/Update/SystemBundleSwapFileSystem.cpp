#include "VeltoDevice/Update/SystemBundleSwapFileSystem.hpp"

#include "VeltoDevice/Update/TreeRemoval.hpp"

#include <cerrno>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <system_error>

namespace velto {

namespace {

void check(int result, const char* operation) {
    if (result != 0)
        throw std::system_error(errno, std::generic_category(), operation);
}

} // namespace

void SystemBundleSwapFileSystem::makePrivateFolder(const std::filesystem::path& folder) {
    check(::mkdir(folder.c_str(), 0700), "mkdir");
}

void SystemBundleSwapFileSystem::rename(const std::filesystem::path& from, const std::filesystem::path& to) {
    check(::rename(from.c_str(), to.c_str()), "rename");
}

void SystemBundleSwapFileSystem::exchange(const std::filesystem::path& a, const std::filesystem::path& b) {
    check(::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE), "renameat2");
}

void SystemBundleSwapFileSystem::copy(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::error_code error;
    std::filesystem::copy(
        from, to, std::filesystem::copy_options::recursive | std::filesystem::copy_options::copy_symlinks,
        error);
    if (error)
        throw std::system_error(error, "copy");
}

void SystemBundleSwapFileSystem::removeAll(const std::filesystem::path& path) {
    TreeRemoval::remove(path);
}

bool SystemBundleSwapFileSystem::exists(const std::filesystem::path& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
}

} // namespace velto
