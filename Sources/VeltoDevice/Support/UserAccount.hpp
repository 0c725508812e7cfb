#pragma once

#include <filesystem>
#include <optional>

namespace velto {

/// This user's entry of the password database, as far as the library reads it. Only absolute paths
/// count, as with the folders named by the environment (UserFolders).
struct UserAccount {
    std::optional<std::filesystem::path> home;
    std::optional<std::filesystem::path> shell;

    /// The entry of the real user id (getpwuid_r); nothing in either field when there is none.
    static UserAccount current();
};

} // namespace velto
