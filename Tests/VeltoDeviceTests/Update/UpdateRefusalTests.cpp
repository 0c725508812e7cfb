#include "VeltoDevice/Support/InstallLocationProblem.hpp"
#include "VeltoDevice/Update/UpdateRefusal.hpp"

#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>

namespace velto {
namespace {

using Problem = InstallLocationProblem;

TEST(UpdateRefusal, PrintsItsClausesAndOnlyADownloadMayBeRetried) {
    using Case = UpdateRefusal::Case;
    const std::pair<Case, const char*> cases[] = {
        {Case::unreadableVersion, "the version is not dotted numbers"},
        {Case::notNewer, "it is not newer than this build"},
        {Case::notNewerThanPending, "it is not newer than the update already on its way"},
        {Case::refusedEarlier, "this version already failed since launch"},
        {Case::notHTTPS, "the download is not https"},
        {Case::malformedDigest, "the digest is not 64 lower-case hex characters"},
        {Case::noPublicKey, "this build has no update public key"},
        {Case::badSignature, "the signature does not verify"},
        {Case::downloadFailed, "the download failed"},
        {Case::digestMismatch, "the archive does not match its digest"},
        {Case::unzipFailed, "the archive could not be unpacked"},
        {Case::notOneApp, "the archive does not hold exactly one app"},
        {Case::wrongBundleIdentifier, "the app in the archive is not Velto"},
        {Case::wrongVersion, "the app in the archive is not the offered version"},
        {Case::invalidCodeSignature, "the app in the archive fails codesign --verify"},
    };
    for (const auto& [kind, text] : cases) {
        UpdateRefusal refusal(kind);
        EXPECT_EQ(refusal.description(), text);
        EXPECT_STREQ(refusal.what(), text);
        EXPECT_EQ(refusal.isRetryable(), kind == Case::downloadFailed) << text;
    }
    auto readOnly = UpdateRefusal::notInstallable(Problem::readOnlyVolume);
    EXPECT_EQ(readOnly.description(), "this copy cannot be replaced: it is on a read-only volume");
    EXPECT_FALSE(readOnly.isRetryable());
    EXPECT_EQ(readOnly, UpdateRefusal::notInstallable(Problem::readOnlyVolume));
    EXPECT_NE(readOnly, UpdateRefusal::notInstallable(Problem::notWritable));
    EXPECT_THROW(UpdateRefusal(Case::notInstallable), std::invalid_argument);
}

} // namespace
} // namespace velto
