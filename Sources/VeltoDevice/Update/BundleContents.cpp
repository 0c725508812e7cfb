#include "VeltoDevice/Update/BundleContents.hpp"

#include "VeltoDevice/Update/BundleManifest.hpp"

#include <cstdio>
#include <stdexcept>
#include <sys/stat.h>
#include <system_error>

namespace velto {

namespace {

using Type = BundleManifestEntry::Type;

std::string modeText(mode_t mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%03o", static_cast<unsigned>(mode & 0777));
    return text;
}

} // namespace

std::map<std::string, BundleManifestEntry> BundleContents::walk(const std::filesystem::path& bundle,
                                                                const StopFlag& stop) {
    std::map<std::string, BundleManifestEntry> found;
    std::error_code error;
    std::filesystem::recursive_directory_iterator entries(bundle, error);
    if (error)
        throw std::runtime_error("the bundle folder cannot be read");
    for (; entries != std::filesystem::recursive_directory_iterator(); entries.increment(error)) {
        if (error)
            throw std::runtime_error("a folder of the bundle cannot be read");
        stop.throwIfRequested();
        if (found.size() >= maximumEntries)
            throw std::runtime_error("the bundle holds too many entries");
        auto relative = entries->path().lexically_relative(bundle).generic_string();
        struct stat status {};
        if (::lstat(entries->path().c_str(), &status) != 0)
            throw std::runtime_error("an entry of the bundle cannot be read");
        if (relative == BundleManifest::manifestPath || relative == BundleManifest::signaturePath ||
            (relative == BundleManifest::folderPath && S_ISDIR(status.st_mode)))
            continue;
        BundleManifestEntry entry;
        if (S_ISREG(status.st_mode)) {
            entry.type = Type::file;
            entry.mode = modeText(status.st_mode);
        } else if (S_ISLNK(status.st_mode)) {
            entry.type = Type::link;
            entry.target = std::filesystem::read_symlink(entries->path(), error).string();
            if (error)
                throw std::runtime_error("a link of the bundle cannot be read");
        } else if (S_ISDIR(status.st_mode)) {
            entry.type = Type::folder;
        } else {
            entry.type = Type::other;
        }
        found.emplace(std::move(relative), std::move(entry));
    }
    if (error)
        throw std::runtime_error("a folder of the bundle cannot be read");
    return found;
}

} // namespace velto
