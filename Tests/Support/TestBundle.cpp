#include "TestBundle.hpp"

#include <fstream>
#include <stdexcept>
#include <sys/stat.h>

namespace velto::testing {

std::filesystem::path TestBundle::make(const std::filesystem::path& bundle) const {
    std::filesystem::create_directories(bundle / "Contents" / "bin");
    std::filesystem::create_directories(bundle / "Contents" / "Resources");
    writeFile(bundle / "Contents" / "Info.plist", infoPlist({{"CFBundleIdentifier", identifier},
                                                             {"CFBundleShortVersionString", version},
                                                             {"CFBundleExecutable", executable}}));
    writeFile(bundle / "Contents" / "bin" / executable, script, 0755);
    writeFile(bundle / "Contents" / "Resources" / "readme.txt", "Velto\n");
    std::filesystem::create_symlink("readme.txt", bundle / "Contents" / "Resources" / "current");
    return bundle;
}

std::string TestBundle::infoPlist(const std::map<std::string, std::string>& values) {
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                       "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                       "<plist version=\"1.0\">\n<dict>\n";
    for (const auto& [key, value] : values)
        text += "  <key>" + key + "</key>\n  <string>" + value + "</string>\n";
    return text + "</dict>\n</plist>\n";
}

void TestBundle::writeFile(const std::filesystem::path& path, const std::string& content, unsigned mode) {
    std::filesystem::create_directories(path.parent_path());
    {
        std::ofstream output(path, std::ios::binary | std::ios::trunc);
        output << content;
        if (!output)
            throw std::runtime_error("could not write a test file");
    }
    if (::chmod(path.c_str(), static_cast<mode_t>(mode)) != 0)
        throw std::runtime_error("could not set a test file's mode");
}

} // namespace velto::testing
