#include "VeltoDevice/Support/PrivateTemporaryFolder.hpp"
#include "VeltoDevice/Support/TemporaryFolderError.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "ScopedEnvironmentVariable.hpp"
#include "TemporaryFolder.hpp"

namespace velto {
namespace {

namespace fs = std::filesystem;
using testing::ScopedEnvironmentVariable;
using testing::TemporaryFolder;

TEST(PrivateTemporaryFolder, IsTheRuntimeFolderWhenItIsPrivate) {
    TemporaryFolder root;
    auto runtime = root.path() / "runtime";
    fs::create_directory(runtime);
    ::chmod(runtime.c_str(), 0700);
    ScopedEnvironmentVariable variable("XDG_RUNTIME_DIR", runtime.c_str());
    EXPECT_EQ(PrivateTemporaryFolder::path(), runtime);
}

TEST(PrivateTemporaryFolder, IsAFolderOfTheUsersOwnUnderTmpOtherwise) {
    for (const char* runtime : {static_cast<const char*>(nullptr), "relative/runtime"}) {
        ScopedEnvironmentVariable variable("XDG_RUNTIME_DIR", runtime);
        auto folder = PrivateTemporaryFolder::path();
        EXPECT_EQ(folder, fs::path("/tmp") / ("velto-" + std::to_string(::geteuid())));
        struct ::stat info {};
        ASSERT_EQ(::lstat(folder.c_str(), &info), 0);
        EXPECT_TRUE(S_ISDIR(info.st_mode));
        EXPECT_EQ(info.st_mode & 07777, 0700u);
        EXPECT_EQ(info.st_uid, ::geteuid());
    }
}

TEST(PrivateTemporaryFolder, RefusesAFolderOthersCouldReach) {
    TemporaryFolder root;
    struct Case {
        std::string name;
        std::function<bool(const fs::path&)> make; // false: cannot be made here, skipped
        std::string detail;
    };
    const std::vector<Case> cases = {
        {"open to the group",
         [](const fs::path& p) { return fs::create_directory(p) && ::chmod(p.c_str(), 0750) == 0; },
         "others may enter it"},
        {"open to all",
         [](const fs::path& p) { return fs::create_directory(p) && ::chmod(p.c_str(), 0777) == 0; },
         "others may enter it"},
        {"a link to a private folder",
         [&](const fs::path& p) {
             auto target = root.path() / "target";
             fs::create_directory(target);
             ::chmod(target.c_str(), 0700);
             fs::create_directory_symlink(target, p);
             return true;
         },
         "it is a link"},
        {"a file", [](const fs::path& p) { return ::close(::creat(p.c_str(), 0700)) == 0; },
         "it is not a folder"},
        {"another user's",
         [](const fs::path& p) {
             // Only root can give a folder away; elsewhere the case is skipped. Run as "nobody", a
             // chown to nobody's own ids succeeds and gives nothing away: the owner must differ.
             const uid_t other = ::geteuid() == 65534 ? 65533 : 65534;
             return fs::create_directory(p) && ::chmod(p.c_str(), 0700) == 0 &&
                    ::chown(p.c_str(), other, other) == 0;
         },
         "it belongs to another user"},
        {"missing", [](const fs::path&) { return true; }, "No such file or directory"},
    };
    int index = 0;
    for (const auto& c : cases) {
        auto folder = root.path() / ("case" + std::to_string(index++));
        if (!c.make(folder))
            continue;
        ScopedEnvironmentVariable variable("XDG_RUNTIME_DIR", folder.c_str());
        try {
            PrivateTemporaryFolder::path();
            ADD_FAILURE() << c.name << ": accepted";
        } catch (const TemporaryFolderError& error) {
            EXPECT_EQ(error.detail(), c.detail) << c.name;
            EXPECT_EQ(error.description(),
                      "The system did not give Velto a private temporary folder: " + c.detail + ".");
        }
    }
}

} // namespace
} // namespace velto
