#include "VeltoDevice/Support/Sha256.hpp"
#include "VeltoDevice/Support/UserFolders.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "ScopedEnvironmentVariable.hpp"

namespace velto {
namespace {

TEST(UserFolders, OnlyAbsoluteValuesNameAFolder) {
    EXPECT_EQ(UserFolders::absolute(std::nullopt), std::nullopt);
    EXPECT_EQ(UserFolders::absolute(""), std::nullopt);
    EXPECT_EQ(UserFolders::absolute("relative/dir"), std::nullopt);
    EXPECT_EQ(UserFolders::absolute("./dir"), std::nullopt);
    EXPECT_EQ(UserFolders::absolute("/srv/x"), std::filesystem::path("/srv/x"));
}

TEST(UserFolders, TheXDGFoldersFallBackToTheHomeFolder) {
    testing::ScopedEnvironmentVariable home("HOME", "/home/u");
    struct Row {
        const char* value;
        std::filesystem::path config;
    };
    const Row rows[] = {
        {nullptr, "/home/u/.config"},
        {"", "/home/u/.config"},
        {"config", "/home/u/.config"},
        {"/srv/config", "/srv/config"},
    };
    for (const Row& row : rows) {
        testing::ScopedEnvironmentVariable config("XDG_CONFIG_HOME", row.value);
        testing::ScopedEnvironmentVariable data("XDG_DATA_HOME", row.value);
        EXPECT_EQ(UserFolders::configHome(), row.config);
        EXPECT_EQ(UserFolders::dataHome(), row.config == "/srv/config" ? std::filesystem::path("/srv/config")
                                                                       : "/home/u/.local/share");
    }
    testing::ScopedEnvironmentVariable relative("HOME", "not/absolute");
    EXPECT_NE(UserFolders::home(), std::filesystem::path("not/absolute"))
        << "the password database's home instead";
}

TEST(Sha256, DigestsInPieces) {
    Sha256 hash;
    hash.update("a");
    hash.update("bc");
    EXPECT_EQ(Sha256::hex(hash.finish()), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

} // namespace
} // namespace velto
