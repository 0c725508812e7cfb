#include "VeltoDevice/Update/StagedBundle.hpp"

#include "VeltoDevice/Support/AppBundle.hpp"
#include "VeltoDevice/Update/UpdateRefusal.hpp"

#include <optional>
#include <system_error>

namespace velto {

std::filesystem::path StagedBundle::onlyApp(const std::filesystem::path& folder) {
    std::optional<std::filesystem::path> found;
    std::size_t count = 0;
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        const auto& entry = *entries;
        std::error_code statusError;
        auto status = entry.symlink_status(statusError);
        if (statusError || entry.path().extension() != ".app" || !std::filesystem::is_directory(status))
            continue;
        found = entry.path();
        ++count;
    }
    if (count != 1)
        throw UpdateRefusal(UpdateRefusal::Case::notOneApp);
    return *found;
}

InfoDictionary StagedBundle::infoDictionary(const std::filesystem::path& bundle) {
    return InfoDictionary::read(AppBundle::infoPlist(bundle));
}

void StagedBundle::check(const std::filesystem::path& bundle, std::string_view bundleIdentifier,
                         const AppVersion& version) {
    auto info = infoDictionary(bundle);
    if (info.text("CFBundleIdentifier") != bundleIdentifier)
        throw UpdateRefusal(UpdateRefusal::Case::wrongBundleIdentifier);
    if (info.text("CFBundleShortVersionString") != version.text())
        throw UpdateRefusal(UpdateRefusal::Case::wrongVersion);
}

} // namespace velto
