#include "VeltoDevice/Support/UserFolders.hpp"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace velto {

namespace {

std::optional<std::filesystem::path> xdgFolder(const char* name, const char* belowHome) {
    if (auto folder = UserFolders::fromEnvironment(name))
        return folder;
    if (auto home = UserFolders::home())
        return *home / belowHome;
    return std::nullopt;
}

} // namespace

std::optional<std::filesystem::path> UserFolders::absolute(std::optional<std::string_view> value) {
    if (!value || value->empty())
        return std::nullopt;
    std::filesystem::path path(*value);
    if (!path.is_absolute())
        return std::nullopt;
    return path;
}

std::optional<std::filesystem::path> UserFolders::fromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr)
        return std::nullopt;
    return absolute(std::string_view(value));
}

std::optional<std::filesystem::path> UserFolders::home() {
    if (auto home = fromEnvironment("HOME"))
        return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr) {
        return absolute(std::string_view(found->pw_dir));
    }
    return std::nullopt;
}

std::optional<std::filesystem::path> UserFolders::dataHome() {
    return xdgFolder("XDG_DATA_HOME", ".local/share");
}

std::optional<std::filesystem::path> UserFolders::configHome() {
    return xdgFolder("XDG_CONFIG_HOME", ".config");
}

std::optional<std::filesystem::path> UserFolders::cacheHome() {
    return xdgFolder("XDG_CACHE_HOME", ".cache");
}

} // namespace velto
