#pragma once

#include "VeltoDevice/Support/DetachedLaunching.hpp"
#include "VeltoDevice/Update/BundleSwapFileSystem.hpp"
#include "VeltoDevice/Update/UpdateInstalling.hpp"

#include <filesystem>
#include <memory>

namespace velto {

/// Puts a staged bundle in the place of the running one and arranges its relaunch. The swap works
/// from a scratch folder ".<name>.swap-<UUID>" (mode 0700) beside the bundle: the staged app moves
/// there under the bundle's own name (a rename, or a copy across file systems), then the two are
/// exchanged in one step, or where the file system cannot, the old bundle is renamed into the scratch
/// folder and the new one into place, renamed back on failure. The scratch folder is removed only
/// once a bundle stands at the bundle's path again, so a failed swap never loses the installed one.
class BundleSwapInstaller final : public UpdateInstalling {
public:
    BundleSwapInstaller(std::filesystem::path bundle, std::shared_ptr<DetachedLaunching> launcher,
                        std::shared_ptr<BundleSwapFileSystem> files = nullptr);

    const std::filesystem::path& bundle() const { return bundle_; }

    /// Reads the new executable's name from the staged Info.plist, swaps, then starts the relaunch of
    /// that executable at the bundle's path for this process. The first failure is thrown; the
    /// relaunch is not started when the swap fails.
    void install(const StagedUpdate& staged) override;
    void swap(const StagedUpdate& staged);

private:
    void exchangeOrRename(const std::filesystem::path& incoming, const std::filesystem::path& scratch);

    std::filesystem::path bundle_;
    std::shared_ptr<DetachedLaunching> launcher_;
    std::shared_ptr<BundleSwapFileSystem> files_;
};

} // namespace velto
