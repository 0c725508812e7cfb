#include "VeltoDevice/Support/InstallLocation.hpp"

#include "VeltoDevice/Support/SystemInstallLocationProbe.hpp"

namespace velto {

std::optional<InstallLocationProblem> InstallLocation::problem(const std::filesystem::path& bundle,
                                                               const InstallLocationProbe& probe) {
    std::string text = bundle.string();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    std::filesystem::path path(text);
    if (path.extension() != ".app")
        return InstallLocationProblem::notAppBundle;
    if (text.find("/AppTranslocation/") != std::string::npos)
        return InstallLocationProblem::translocated;
    if (probe.isOnReadOnlyVolume(path).value_or(false))
        return InstallLocationProblem::readOnlyVolume;
    if (!probe.isWritable(path.parent_path()) || !probe.isWritable(path))
        return InstallLocationProblem::notWritable;
    return std::nullopt;
}

std::optional<InstallLocationProblem> InstallLocation::problem(const std::filesystem::path& bundle) {
    return problem(bundle, SystemInstallLocationProbe());
}

bool InstallLocation::isSettled(const std::filesystem::path& bundle) {
    auto found = problem(bundle);
    return !found || *found == InstallLocationProblem::notWritable;
}

} // namespace velto
