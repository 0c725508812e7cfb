#include "VeltoDevice/Support/AppBundle.hpp"

#include "VeltoDevice/Support/BundlePath.hpp"
#include "VeltoDevice/Support/InfoDictionary.hpp"

#include <system_error>

namespace velto {

std::filesystem::path AppBundle::infoPlist(const std::filesystem::path& bundle) {
    return bundle / "Contents" / "Info.plist";
}

std::filesystem::path AppBundle::executable(const std::filesystem::path& bundle, std::string_view name) {
    return bundle / executableFolder / name;
}

std::filesystem::path AppBundle::resources(const std::filesystem::path& bundle) {
    return bundle / "Contents" / "Resources";
}

std::optional<std::string> AppBundle::executableName(const std::filesystem::path& bundle) {
    auto name = InfoDictionary::read(infoPlist(bundle)).text("CFBundleExecutable");
    if (!name || BundlePath::parts(*name).size() != 1)
        return std::nullopt;
    return name;
}

std::optional<std::filesystem::path> AppBundle::running() {
    std::error_code error;
    auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return std::nullopt;
    return holding(executable);
}

std::optional<std::filesystem::path> AppBundle::holding(const std::filesystem::path& executable) {
    auto bin = executable.parent_path();
    auto contents = bin.parent_path();
    if (!executable.has_filename() || bin.filename() != "bin" || contents.filename() != "Contents")
        return std::nullopt;
    auto bundle = contents.parent_path();
    if (bundle.empty() || bundle == bundle.root_path())
        return std::nullopt;
    return bundle;
}

} // namespace velto
