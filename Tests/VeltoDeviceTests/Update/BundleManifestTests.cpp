#include "VeltoDevice/Support/Base64.hpp"
#include "VeltoDevice/Update/BundleManifest.hpp"
#include "VeltoDevice/Update/BundleManifestVerification.hpp"
#include "VeltoDevice/Update/BundleManifestWriter.hpp"
#include "VeltoDevice/Update/UpdateRefusal.hpp"
#include "VeltoDevice/Update/UpdateVerifier.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sys/stat.h>

#include "ChildProcess.hpp"
#include "TemporaryFolder.hpp"
#include "TestBundle.hpp"

namespace velto {
namespace {

namespace fs = std::filesystem;
using testing::TestBundle;

class BundleManifestTest : public ::testing::Test {
protected:
    fs::path bundle() const { return folder.path() / "Velto.app"; }

    bool passes(const std::optional<Ed25519PublicKey>& with) const {
        try {
            BundleManifestVerification::check(bundle(), with, StopFlag());
            return true;
        } catch (const UpdateRefusal& refusal) {
            EXPECT_EQ(refusal.kind(), UpdateRefusal::Case::invalidCodeSignature);
            return false;
        }
    }
    bool passes() const { return passes(key.publicKey()); }

    /// Signs the manifest's bytes as they are with another prefix, in place of the real signature.
    void resign(std::string_view prefix) const {
        std::ifstream input(bundle() / BundleManifest::manifestPath, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(input)), std::istreambuf_iterator<char>());
        TestBundle::writeFile(bundle() / BundleManifest::signaturePath,
                              Base64::encode(key.sign(std::string(prefix) + bytes)));
    }

    testing::TemporaryFolder folder;
    Ed25519PrivateKey key = Ed25519PrivateKey::generate();
};

TEST_F(BundleManifestTest, ListsWhatTheBundleHolds) {
    TestBundle{}.make(bundle());
    auto manifest = BundleManifestWriter::describe(bundle());
    std::vector<std::string> paths;
    for (const auto& [path, entry] : manifest.entries)
        paths.push_back(path);
    EXPECT_EQ(paths, (std::vector<std::string>{"Contents", "Contents/Info.plist", "Contents/Resources",
                                               "Contents/Resources/current", "Contents/Resources/readme.txt",
                                               "Contents/bin", "Contents/bin/velto"}));
    EXPECT_EQ(manifest.entries["Contents/bin/velto"].mode, "755");
    EXPECT_EQ(manifest.entries["Contents/Resources/current"].target, "readme.txt");
    auto reread = BundleManifest::parse(manifest.encode());
    ASSERT_TRUE(reread.has_value());
    EXPECT_EQ(reread->entries, manifest.entries);
    EXPECT_EQ(BundleManifest::parse(R"({"v":1,"entries":{"a":{"type":"folder"}}})")->entries.size(), 1u);
}

TEST_F(BundleManifestTest, ReadsOnlyItsExactForm) {
    const std::string digest(64, 'a');
    for (std::string text : {
             std::string(R"({"v":2,"entries":{}})"),
             std::string(R"({"v":1})"),
             std::string(R"({"v":1,"entries":{},"extra":1})"),
             std::string(R"({"v":1,"entries":{"../a":{"type":"folder"}}})"),
             std::string(R"({"v":1,"entries":{"/a":{"type":"folder"}}})"),
             std::string(R"({"v":1,"entries":{"a/./b":{"type":"folder"}}})"),
             std::string(R"({"v":1,"entries":{"a//b":{"type":"folder"}}})"),
             std::string(R"({"v":1,"entries":{"":{"type":"folder"}}})"),
             std::string(R"({"v":1,"entries":{"Contents/_CodeSignature":{"type":"folder"}}})"),
             std::string(R"({"v":1,"entries":{"a":{"type":"fifo"}}})"),
             std::string(R"({"v":1,"entries":{"a":{"type":"folder","mode":"755"}}})"),
             std::string(R"({"v":1,"entries":{"a":{"type":"link","target":""}}})"),
             R"({"v":1,"entries":{"a":{"type":"file","sha256":")" + digest + R"(","mode":"0755"}}})",
             R"({"v":1,"entries":{"a":{"type":"file","sha256":")" + digest + R"(","mode":"785"}}})",
             R"({"v":1,"entries":{"a":{"type":"file","sha256":")" + std::string(64, 'A') +
                 R"(","mode":"755"}}})",
             std::string("not json"),
         }) {
        EXPECT_FALSE(BundleManifest::parse(text).has_value()) << text;
    }
}

TEST_F(BundleManifestTest, PassesASignedBundleAndRefusesEveryChange) {
    struct Case {
        const char* name;
        std::function<void(const fs::path&)> beforeSigning;
        std::function<void(const fs::path&)> afterSigning;
    };
    auto none = [](const fs::path&) {};
    const Case cases[] = {
        {"an unlisted file", none,
         [](const fs::path& app) { TestBundle::writeFile(app / "Contents/Resources/extra", "x"); }},
        {"an unlisted file beside the signature", none,
         [](const fs::path& app) { TestBundle::writeFile(app / "Contents/_CodeSignature/extra", "x"); }},
        {"a missing file", none,
         [](const fs::path& app) { fs::remove(app / "Contents/Resources/readme.txt"); }},
        {"a changed byte", none,
         [](const fs::path& app) {
             TestBundle::writeFile(app / "Contents/Resources/readme.txt", "Velta\n");
         }},
        {"a changed mode", none,
         [](const fs::path& app) { ::chmod((app / "Contents/Resources/readme.txt").c_str(), 0600); }},
        {"a retargeted link", none,
         [](const fs::path& app) {
             fs::remove(app / "Contents/Resources/current");
             fs::create_symlink("../Info.plist", app / "Contents/Resources/current");
         }},
        {"a link turned into a file", none,
         [](const fs::path& app) {
             fs::remove(app / "Contents/Resources/current");
             TestBundle::writeFile(app / "Contents/Resources/current", "x");
         }},
        {"a signed link out of the bundle",
         [](const fs::path& app) { fs::create_symlink("../../../outside", app / "Contents/Resources/out"); },
         none},
        {"a signed absolute link",
         [](const fs::path& app) { fs::create_symlink("/etc/passwd", app / "Contents/Resources/out"); },
         none},
        {"a signed executable its owner may not run",
         [](const fs::path& app) { ::chmod((app / "Contents/bin/velto").c_str(), 0644); }, none},
        {"a signed Info.plist naming a path",
         [](const fs::path& app) {
             TestBundle::writeFile(app / "Contents/Info.plist",
                                   TestBundle::infoPlist({{"CFBundleExecutable", "bin/velto"}}));
         },
         none},
        {"a signed Info.plist naming no executable",
         [](const fs::path& app) {
             TestBundle::writeFile(app / "Contents/Info.plist",
                                   TestBundle::infoPlist({{"CFBundleIdentifier", "x"}}));
         },
         none},
        {"a signature with a line break", none,
         [](const fs::path& app) {
             std::ofstream(app / BundleManifest::signaturePath, std::ios::app) << "\n";
         }},
        {"no signature", none, [](const fs::path& app) { fs::remove(app / BundleManifest::signaturePath); }},
        {"a manifest that is a link", none,
         [](const fs::path& app) {
             fs::rename(app / BundleManifest::manifestPath, app / "Contents/manifest.json");
             fs::create_symlink("../manifest.json", app / BundleManifest::manifestPath);
         }},
    };
    for (const auto& c : cases) {
        fs::remove_all(bundle());
        TestBundle{}.make(bundle());
        c.beforeSigning(bundle());
        BundleManifestWriter::write(bundle(), key);
        c.afterSigning(bundle());
        EXPECT_FALSE(passes()) << c.name;
    }
    fs::remove_all(bundle());
    TestBundle{}.make(bundle());
    BundleManifestWriter::write(bundle(), key);
    EXPECT_TRUE(passes());
    EXPECT_FALSE(passes(Ed25519PrivateKey::generate().publicKey()));
    EXPECT_FALSE(passes(std::nullopt));
    // Signed by the right key, but as an update offer is.
    resign(UpdateVerifier::messagePrefix);
    EXPECT_FALSE(passes());
    resign(BundleManifest::signingPrefix);
    EXPECT_TRUE(passes());
}

TEST_F(BundleManifestTest, WriterRefusesWhatNoManifestLists) {
    TestBundle{}.make(bundle());
    ASSERT_EQ(::mkfifo((bundle() / "Contents/pipe").c_str(), 0644), 0);
    EXPECT_THROW(BundleManifestWriter::write(bundle(), key), std::runtime_error);
}

TEST_F(BundleManifestTest, ToolSignsAFolderWithAPEMKey) {
    TestBundle{}.make(bundle());
    auto pem = folder.path() / "update-key.pem";
    TestBundle::writeFile(pem, key.pem(), 0600);
    EXPECT_EQ(testing::ChildProcess::run(VELTO_BUNDLE_MANIFEST_TOOL, {bundle().string(), pem.string()}), 0);
    EXPECT_TRUE(passes());
    TestBundle::writeFile(pem, "not a key");
    EXPECT_EQ(testing::ChildProcess::run(VELTO_BUNDLE_MANIFEST_TOOL, {bundle().string(), pem.string()}), 1);
    EXPECT_EQ(testing::ChildProcess::run(VELTO_BUNDLE_MANIFEST_TOOL, {bundle().string()}), 2);
}

} // namespace
} // namespace velto
