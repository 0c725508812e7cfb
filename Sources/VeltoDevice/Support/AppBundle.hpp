#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace velto {

/// The application's relocatable folder, `Velto.app`: `Contents/Info.plist`, the executable at
/// `Contents/bin/<CFBundleExecutable>` and the resources under `Contents/Resources/`.
struct AppBundle {
    /// Where the executables are, relative to the bundle.
    static constexpr std::string_view executableFolder = "Contents/bin";

    static std::filesystem::path infoPlist(const std::filesystem::path& bundle);
    static std::filesystem::path executable(const std::filesystem::path& bundle, std::string_view name);
    static std::filesystem::path resources(const std::filesystem::path& bundle);
    /// The CFBundleExecutable of the bundle's Info.plist when it is one path part, a name in
    /// `executableFolder`; nothing otherwise (an Info.plist that cannot be read included).
    static std::optional<std::string> executableName(const std::filesystem::path& bundle);

    /// The bundle that holds the running executable (from /proc/self/exe); nothing when the
    /// executable is not at `<bundle>/Contents/bin/<name>`.
    static std::optional<std::filesystem::path> running();
    /// The bundle that holds an executable at the path, by the same rule.
    static std::optional<std::filesystem::path> holding(const std::filesystem::path& executable);
};

} // namespace velto
