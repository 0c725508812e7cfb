#include "VeltoDevice/Update/BundleSwapInstaller.hpp"

#include "VeltoDevice/Support/AppBundle.hpp"
#include "VeltoDevice/Support/RandomUUID.hpp"
#include "VeltoDevice/Update/Relaunch.hpp"
#include "VeltoDevice/Update/SystemBundleSwapFileSystem.hpp"

#include <cerrno>
#include <stdexcept>
#include <system_error>
#include <unistd.h>

namespace velto {

BundleSwapInstaller::BundleSwapInstaller(std::filesystem::path bundle,
                                         std::shared_ptr<DetachedLaunching> launcher,
                                         std::shared_ptr<BundleSwapFileSystem> files)
    : bundle_(std::move(bundle)), launcher_(std::move(launcher)),
      files_(files ? std::move(files) : std::make_shared<SystemBundleSwapFileSystem>()) {}

void BundleSwapInstaller::install(const StagedUpdate& staged) {
    auto name = AppBundle::executableName(staged.appPath);
    if (!name)
        throw std::runtime_error("the staged app names no executable");
    swap(staged);
    Relaunch::afterExit(::getpid(), AppBundle::executable(bundle_, *name), *launcher_);
}

void BundleSwapInstaller::swap(const StagedUpdate& staged) {
    auto name = bundle_.filename();
    // Appended, not `"x" + std::string`: optimised g++ 12 reports a false overflow inside that operator.
    auto scratch =
        bundle_.parent_path() / std::string(".").append(name.string()).append(".swap-").append(randomUUID());
    files_->makePrivateFolder(scratch);
    auto incoming = scratch / name;
    try {
        try {
            files_->rename(staged.appPath, incoming);
        } catch (const std::system_error& error) {
            if (error.code() != std::errc::cross_device_link)
                throw;
            files_->copy(staged.appPath, incoming);
        }
        exchangeOrRename(incoming, scratch);
    } catch (...) {
        if (files_->exists(bundle_))
            files_->removeAll(scratch);
        throw;
    }
    files_->removeAll(scratch);
}

void BundleSwapInstaller::exchangeOrRename(const std::filesystem::path& incoming,
                                           const std::filesystem::path& scratch) {
    try {
        files_->exchange(incoming, bundle_);
        return;
    } catch (const std::system_error& error) {
        if (error.code() != std::errc::invalid_argument)
            throw;
    }
    // A file system that cannot exchange in one step.
    auto previous = scratch / "previous";
    files_->rename(bundle_, previous);
    try {
        files_->rename(incoming, bundle_);
    } catch (...) {
        try {
            files_->rename(previous, bundle_);
        } catch (...) {
            // The installed bundle stays in the scratch folder, which is then kept.
        }
        throw;
    }
}

} // namespace velto
