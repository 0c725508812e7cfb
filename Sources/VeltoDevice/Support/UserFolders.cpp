#include "VeltoDevice/Support/UserFolders.hpp"

#include "VeltoDevice/Support/UserAccount.hpp"

#include <cstdlib>

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
    return UserAccount::current().home;
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
