#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace velto {

/// The user's home and the XDG base folders. A folder named by the environment counts only when it is
/// an absolute path: unset, empty and relative values name none (the XDG Base Directory rule).
struct UserFolders {
    /// `value` as a folder, by the rule above.
    static std::optional<std::filesystem::path> absolute(std::optional<std::string_view> value);
    /// The process environment variable `name` as a folder, by the rule above.
    static std::optional<std::filesystem::path> fromEnvironment(const char* name);

    /// $HOME, else the password database's home of this user; nothing when neither names one.
    static std::optional<std::filesystem::path> home();
    /// $XDG_DATA_HOME, else ~/.local/share.
    static std::optional<std::filesystem::path> dataHome();
    /// $XDG_CONFIG_HOME, else ~/.config.
    static std::optional<std::filesystem::path> configHome();
    /// $XDG_CACHE_HOME, else ~/.cache.
    static std::optional<std::filesystem::path> cacheHome();
};

} // namespace velto
