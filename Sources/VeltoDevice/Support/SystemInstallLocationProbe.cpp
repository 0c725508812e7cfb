#include "VeltoDevice/Support/SystemInstallLocationProbe.hpp"

#include <sys/statvfs.h>
#include <unistd.h>

namespace velto {

std::optional<bool> SystemInstallLocationProbe::isOnReadOnlyVolume(const std::filesystem::path& path) const {
    struct statvfs volume {};
    if (::statvfs(path.c_str(), &volume) != 0)
        return std::nullopt;
    return (volume.f_flag & ST_RDONLY) != 0;
}

bool SystemInstallLocationProbe::isWritable(const std::filesystem::path& path) const {
    return ::access(path.c_str(), W_OK) == 0;
}

} // namespace velto
