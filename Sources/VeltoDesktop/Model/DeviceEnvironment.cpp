#include "VeltoDesktop/Model/DeviceEnvironment.hpp"

#include "VeltoDevice/Support/AppBundle.hpp"
#include "VeltoDevice/Support/BundleIdentifier.hpp"
#include "VeltoDevice/Support/InfoDictionary.hpp"
#include "VeltoDevice/Update/UpdateStager.hpp"

#include <exception>
#include <system_error>

namespace velto {

namespace {

std::optional<std::filesystem::path> existing(const std::filesystem::path& path) {
    std::error_code error;
    if (std::filesystem::symlink_status(path, error).type() == std::filesystem::file_type::not_found || error)
        return std::nullopt;
    return path;
}

} // namespace

DeviceMessage::Hello DeviceEnvironment::emptyHello() const {
    DeviceMessage::Hello hello;
    hello.appVersion = appVersion;
    hello.capacity = 0;
    hello.runner = 1;
    return hello;
}

DeviceEnvironment DeviceEnvironment::read(const std::optional<std::filesystem::path>& bundle,
                                          const Environment& environment) {
    DeviceEnvironment values;
    values.bundle = bundle;
    if (bundle) {
        auto resources = AppBundle::resources(*bundle);
        values.agentResources = existing(resources / "agents");
        values.commandLineTool = existing(resources / "velto");
        auto info = InfoDictionary::read(AppBundle::infoPlist(*bundle));
        values.appVersion = info.text("CFBundleShortVersionString").value_or(unknownVersion);
        values.bundleIdentifier = info.text("CFBundleIdentifier").value_or("");
        values.updatePublicKey = info.text("VeltoUpdatePublicKey");
    }
    if (auto named = environment.find(runnerScriptVariable); named != environment.end()) {
        values.runnerScript = std::filesystem::path(named->second);
    } else if (bundle) {
        values.runnerScript = existing(AppBundle::resources(*bundle) / "velto-runner.mjs");
    }
    try {
        values.updateStagingFolder = UpdateStager::defaultRoot(kBundleIdentifier);
    } catch (const std::exception&) {
        // No folder to stage in: staging then fails, and no update is taken.
    }
    return values;
}

} // namespace velto
