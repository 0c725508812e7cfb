#pragma once

#include "VeltoDevice/Support/InstallLocationProbe.hpp"

namespace velto {

/// statvfs's ST_RDONLY and access(W_OK).
class SystemInstallLocationProbe final : public InstallLocationProbe {
public:
    std::optional<bool> isOnReadOnlyVolume(const std::filesystem::path& path) const override;
    bool isWritable(const std::filesystem::path& path) const override;
};

} // namespace velto
