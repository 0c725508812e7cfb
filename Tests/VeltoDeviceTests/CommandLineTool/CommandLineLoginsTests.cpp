#include "VeltoDevice/CommandLineTool/CommandLineLoginError.hpp"
#include "VeltoDevice/CommandLineTool/CommandLineLogins.hpp"
#include "VeltoDevice/Support/FileError.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "FileFixtures.hpp"
#include "ScopedEnvironmentVariable.hpp"
#include "ScriptFixtures.hpp"
#include "TemporaryFolder.hpp"

namespace velto {
namespace {

namespace fs = std::filesystem;
using testing::readText;
using testing::TemporaryFolder;
using testing::writeFile;

CommandLineLogin login(std::string deviceId, std::string token = "tok") {
    return {std::move(deviceId),
            "https://velto.example.com/base/",
            std::move(token),
            "2030-01-01T00:20:00Z",
            {"Acme / Ops", "acme"}};
}

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> deviceIds(const std::vector<CommandLineLogin>& logins) {
    std::vector<std::string> ids;
    for (const auto& stored : logins)
        ids.push_back(stored.deviceId);
    return ids;
}

struct stat statusOf(const fs::path& path) {
    struct stat status {};
    ::lstat(path.c_str(), &status);
    return status;
}

class CommandLineLoginsTest : public ::testing::Test {
protected:
    TemporaryFolder temporary;
    const fs::path file = temporary.path() / "home" / ".velto" / "device-logins.json";
    CommandLineLogins logins{file};
};

TEST_F(CommandLineLoginsTest, TheFileIsPrettySortedPrivateAndSlashesStayAsTheyAre) {
    mode_t umask = ::umask(077);
    logins.keep(login("dev-1"));
    ::umask(umask);
    EXPECT_EQ(*readText(file), R"({
  "logins": [
    {
      "deviceId": "dev-1",
      "expiresAt": "2030-01-01T00:20:00Z",
      "organization": {
        "name": "Acme / Ops",
        "slug": "acme"
      },
      "token": "tok",
      "url": "https://velto.example.com/base/"
    }
  ]
})");
    EXPECT_EQ(statusOf(file).st_mode & 07777, 0600u);
    EXPECT_EQ(statusOf(file.parent_path()).st_mode & 07777, 0700u);
    EXPECT_EQ(statusOf(file.parent_path().parent_path()).st_mode & 07777, 0700u) << "every folder it made";
    fs::remove_all(file.parent_path().parent_path());
    umask = ::umask(0);
    logins.keep(login("dev-1"));
    ::umask(umask);
    EXPECT_EQ(statusOf(file).st_mode & 07777, 0600u) << "whatever the umask";
    EXPECT_EQ(statusOf(file.parent_path()).st_mode & 07777, 0700u);
    EXPECT_EQ(logins.logins(), std::vector<CommandLineLogin>{login("dev-1")});
}

TEST_F(CommandLineLoginsTest, KeepReplacesTheFirstOfTheSameDeviceInPlaceOrAppends) {
    writeFile(file, R"({"logins":[)" + login("a").toJson().dump() + "," + login("b").toJson().dump() + "," +
                        login("a", "second").toJson().dump() + "]}");
    logins.keep(login("a", "new"));
    logins.keep(login("c"));
    auto stored = logins.logins();
    EXPECT_EQ(deviceIds(stored), (std::vector<std::string>{"a", "b", "a", "c"}));
    EXPECT_EQ(stored[0].token, "new");
    EXPECT_EQ(stored[2].token, "second");
}

TEST_F(CommandLineLoginsTest, KeepOnlyAndForget) {
    logins.keep(login("a"));
    logins.keep(login("b"));
    auto before = statusOf(file);

    logins.keepOnly({"a", "b", "z"});
    logins.forget("not-stored");
    auto after = statusOf(file);
    EXPECT_EQ(after.st_ino, before.st_ino) << "not rewritten";
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);

    logins.forget("a");
    EXPECT_EQ(deviceIds(logins.logins()), std::vector<std::string>{"b"});
    logins.forget("b");
    EXPECT_FALSE(fs::exists(file)) << "never left empty";
    logins.forget("b");

    logins.keep(login("a"));
    logins.keepOnly({});
    EXPECT_FALSE(fs::exists(file));
}

TEST_F(CommandLineLoginsTest, ADamagedFileHoldsNoLogins) {
    const std::vector<std::string> damaged = {"{}",
                                              "[]",
                                              "not json",
                                              R"({"logins":{}})",
                                              R"({"logins":[{"deviceId":"a"}]})",
                                              R"({"logins":[)" + login("a").toJson().dump() + R"(,7]})"};
    for (const auto& content : damaged) {
        SCOPED_TRACE(content);
        writeFile(file, content);
        EXPECT_TRUE(logins.logins().empty());
        logins.keepOnly({"a"});
        EXPECT_FALSE(fs::exists(file)) << "keepOnly of a damaged file deletes it";
        writeFile(file, content);
        logins.keep(login("b"));
        EXPECT_EQ(deviceIds(logins.logins()), std::vector<std::string>{"b"}) << "replaced by the next keep";
    }
    fs::remove(file);
    fs::create_directories(file);
    EXPECT_TRUE(logins.logins().empty()) << "a folder in its place";
}

TEST_F(CommandLineLoginsTest, AFailedWriteKeepsTheOldFileAndNoTemporaryOne) {
    logins.keep(login("a"));
    const std::string old = *readText(file);
    // A folder where the file goes makes the rename fail after the temporary file was written.
    CommandLineLogins blocked(file.parent_path() / "blocked");
    fs::create_directories(blocked.file() / "inside");
    try {
        blocked.keep(login("b"));
        ADD_FAILURE() << "wrote";
    } catch (const CommandLineLoginError& error) {
        EXPECT_EQ(error.kind(), CommandLineLoginError::Case::unwritable);
        EXPECT_TRUE(
            std::string(error.what()).starts_with("Velto could not save the velto command's login: "));
    }
    EXPECT_EQ(namesIn(file.parent_path()), (std::vector<std::string>{"blocked", "device-logins.json"}))
        << "no temporary file left";
    EXPECT_EQ(*readText(file), old);

    // A link planted at the file's place is replaced, never written through.
    writeFile(temporary.path() / "victim", "untouched");
    fs::remove(file);
    fs::create_symlink(temporary.path() / "victim", file);
    logins.keep(login("c"));
    EXPECT_EQ(readText(temporary.path() / "victim"), "untouched");
    EXPECT_FALSE(fs::is_symlink(fs::symlink_status(file)));
    EXPECT_EQ(deviceIds(logins.logins()), std::vector<std::string>{"c"});
}

TEST_F(CommandLineLoginsTest, AFolderThatCannotBeMadeIsTheSystemsError) {
    writeFile(temporary.path() / "home", "a file where the home folder goes");
    EXPECT_THROW(logins.keep(login("a")), FileError);
}

TEST(CommandLineLoginsHome, LivesInTheHomeFolder) {
    TemporaryFolder temporary;
    testing::ScopedEnvironmentVariable home("HOME", temporary.path().c_str());
    EXPECT_EQ(CommandLineLogins::inHome().file(), temporary.path() / ".velto" / "device-logins.json");
}

} // namespace
} // namespace velto
