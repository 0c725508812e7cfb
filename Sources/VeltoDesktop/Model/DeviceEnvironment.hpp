#pragma once

#include "VeltoDevice/Protocol/DeviceMessage.hpp"
#include "VeltoDevice/Support/Environment.hpp"

#include <filesystem>
#include <optional>
#include <string>

namespace velto {

/// The values the application takes from its bundle and its process environment, read once at start.
struct DeviceEnvironment {
    /// The version when the bundle does not say one.
    static constexpr const char* unknownVersion = "0.0.0";
    /// The variable that names the runner script in place of the bundle's.
    static constexpr const char* runnerScriptVariable = "VELTO_RUNNER_SCRIPT";

    /// The running bundle ("Velto.app"), when the executable sits in one.
    std::optional<std::filesystem::path> bundle;
    /// The bundle's "Contents/Resources/agents" when something is there.
    std::optional<std::filesystem::path> agentResources;
    /// The bundle's "Contents/Resources/velto" when something is there.
    std::optional<std::filesystem::path> commandLineTool;
    /// "$XDG_CACHE_HOME/app.velto.desktop/Updates"; empty when no folder can be named.
    std::filesystem::path updateStagingFolder;
    /// VELTO_RUNNER_SCRIPT as a path (not checked), else the bundle's "velto-runner.mjs" when present.
    std::optional<std::filesystem::path> runnerScript;
    /// Info.plist's CFBundleShortVersionString when it is text, else "0.0.0".
    std::string appVersion = unknownVersion;
    /// Info.plist's CFBundleIdentifier when it is text, else empty.
    std::string bundleIdentifier;
    /// Info.plist's VeltoUpdatePublicKey when it is text.
    std::optional<std::string> updatePublicKey;

    /// The hello of a model that is gone: the version, no harnesses, capacity 0, runner 1.
    DeviceMessage::Hello emptyHello() const;

    /// The values for a bundle (nothing: not in a bundle) and a process environment.
    static DeviceEnvironment read(const std::optional<std::filesystem::path>& bundle,
                                  const Environment& environment);
};

} // namespace velto
