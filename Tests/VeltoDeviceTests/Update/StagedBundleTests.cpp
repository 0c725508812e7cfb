#include "VeltoDevice/Support/AppBundle.hpp"
#include "VeltoDevice/Update/StagedBundle.hpp"
#include "VeltoDevice/Update/UpdateRefusal.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "TemporaryFolder.hpp"
#include "TestBundle.hpp"

namespace velto {
namespace {

namespace fs = std::filesystem;
using Case = UpdateRefusal::Case;
using testing::TestBundle;

std::optional<Case> refusalOf(const std::function<void()>& step) {
    try {
        step();
        return std::nullopt;
    } catch (const UpdateRefusal& refusal) {
        return refusal.kind();
    }
}

TEST(StagedBundle, FindsTheOnlyAppAtTheTop) {
    struct Row {
        const char* name;
        std::function<void(const fs::path&)> make;
        const char* app;
    };
    auto app = [](const fs::path& path) { fs::create_directories(path / "Contents"); };
    const Row rows[] = {
        {"one app beside other entries",
         [&](const fs::path& folder) {
             app(folder / "Velto.app");
             TestBundle::writeFile(folder / "README", "x");
             fs::create_directory(folder / "Extras");
         },
         "Velto.app"},
        {"another name", [&](const fs::path& folder) { app(folder / "Velto Beta.app"); }, "Velto Beta.app"},
        {"two apps",
         [&](const fs::path& folder) {
             app(folder / "Velto.app");
             app(folder / "Other.app");
         },
         nullptr},
        {"only a link named like an app",
         [&](const fs::path& folder) {
             app(folder / "Real");
             fs::create_directory_symlink("Real", folder / "Velto.app");
         },
         nullptr},
        {"an app only in a sub-folder", [&](const fs::path& folder) { app(folder / "Sub" / "Velto.app"); },
         nullptr},
        {"a file named like an app",
         [&](const fs::path& folder) { TestBundle::writeFile(folder / "Velto.app", ""); }, nullptr},
        {"an upper-case extension", [&](const fs::path& folder) { app(folder / "Velto.APP"); }, nullptr},
        {"nothing", [](const fs::path&) {}, nullptr},
    };
    for (const auto& row : rows) {
        testing::TemporaryFolder folder;
        row.make(folder.path());
        if (row.app) {
            EXPECT_EQ(StagedBundle::onlyApp(folder.path()), folder.path() / row.app) << row.name;
        } else {
            EXPECT_EQ(refusalOf([&] { StagedBundle::onlyApp(folder.path()); }), Case::notOneApp) << row.name;
        }
    }
    EXPECT_EQ(refusalOf([] { StagedBundle::onlyApp("/nonexistent/velto"); }), Case::notOneApp);
}

TEST(StagedBundle, ChecksTheIdentifierThenTheExactVersionText) {
    testing::TemporaryFolder folder;
    auto bundle = folder.path() / "Velto.app";
    auto withInfo = [&](std::map<std::string, std::string> values) {
        TestBundle::writeFile(AppBundle::infoPlist(bundle), TestBundle::infoPlist(values));
    };
    auto check = [&](std::string_view identifier, const char* version) {
        return refusalOf([&] { StagedBundle::check(bundle, identifier, *AppVersion::parse(version)); });
    };
    EXPECT_EQ(check("app.velto.desktop", "1.2"), Case::wrongBundleIdentifier); // no Info.plist
    withInfo({{"CFBundleIdentifier", "app.velto.desktop"}, {"CFBundleShortVersionString", "1.2"}});
    EXPECT_EQ(check("app.velto.desktop", "1.2"), std::nullopt);
    EXPECT_EQ(check("app.velto.other", "1.2"), Case::wrongBundleIdentifier);
    EXPECT_EQ(check("", "1.2"), Case::wrongBundleIdentifier);
    EXPECT_EQ(check("app.velto.desktop", "1.2.0"), Case::wrongVersion);
    withInfo({{"CFBundleIdentifier", ""}, {"CFBundleShortVersionString", "1.2"}});
    EXPECT_EQ(check("", "1.2"), std::nullopt);
    withInfo({{"CFBundleIdentifier", "app.velto.desktop"}});
    EXPECT_EQ(check("app.velto.desktop", "1.2"), Case::wrongVersion);

    // Texts that only equal the expected ones up to a NUL.
    withInfo({{"CFBundleIdentifier", std::string("app.velto.desktop\0x", 19)},
              {"CFBundleShortVersionString", "2.0.0"}});
    EXPECT_EQ(check("app.velto.desktop", "2.0.0"), Case::wrongBundleIdentifier);
    withInfo({{"CFBundleIdentifier", "app.velto.desktop"},
              {"CFBundleShortVersionString", std::string("2.0.0\0junk", 10)}});
    EXPECT_NE(check("app.velto.desktop", "2.0.0"), std::nullopt);
}

TEST(AppBundle, NamesNoExecutableWhoseNameHoldsANul) {
    testing::TemporaryFolder folder;
    auto bundle = folder.path() / "Velto.app";
    TestBundle::writeFile(AppBundle::infoPlist(bundle),
                          TestBundle::infoPlist({{"CFBundleExecutable", "velto"}}));
    EXPECT_EQ(AppBundle::executableName(bundle), "velto");
    TestBundle::writeFile(AppBundle::infoPlist(bundle),
                          TestBundle::infoPlist({{"CFBundleExecutable", std::string("velto\0x", 7)}}));
    EXPECT_EQ(AppBundle::executableName(bundle), std::nullopt);
}

} // namespace
} // namespace velto
