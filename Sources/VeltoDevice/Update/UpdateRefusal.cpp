#include "VeltoDevice/Update/UpdateRefusal.hpp"

#include <stdexcept>

namespace velto {

namespace {

std::string textOf(UpdateRefusal::Case kind, std::optional<InstallLocationProblem> problem) {
    using Case = UpdateRefusal::Case;
    switch (kind) {
    case Case::notInstallable:
        if (!problem)
            throw std::invalid_argument("notInstallable needs its problem");
        return "this copy cannot be replaced: " + description(*problem);
    case Case::unreadableVersion:
        return "the version is not dotted numbers";
    case Case::notNewer:
        return "it is not newer than this build";
    case Case::notNewerThanPending:
        return "it is not newer than the update already on its way";
    case Case::refusedEarlier:
        return "this version already failed since launch";
    case Case::notHTTPS:
        return "the download is not https";
    case Case::malformedDigest:
        return "the digest is not 64 lower-case hex characters";
    case Case::noPublicKey:
        return "this build has no update public key";
    case Case::badSignature:
        return "the signature does not verify";
    case Case::downloadFailed:
        return "the download failed";
    case Case::digestMismatch:
        return "the archive does not match its digest";
    case Case::unzipFailed:
        return "the archive could not be unpacked";
    case Case::notOneApp:
        return "the archive does not hold exactly one app";
    case Case::wrongBundleIdentifier:
        return "the app in the archive is not Velto";
    case Case::wrongVersion:
        return "the app in the archive is not the offered version";
    case Case::invalidCodeSignature:
        return "the app in the archive fails codesign --verify";
    }
    return "the update was refused";
}

} // namespace

UpdateRefusal::UpdateRefusal(Case kind, std::optional<InstallLocationProblem> problem)
    : Error(textOf(kind, problem)), kind_(kind), problem_(problem) {}

UpdateRefusal::UpdateRefusal(Case kind) : UpdateRefusal(kind, std::nullopt) {}

UpdateRefusal UpdateRefusal::notInstallable(InstallLocationProblem problem) {
    return UpdateRefusal(Case::notInstallable, problem);
}

} // namespace velto
