#include "VeltoDevice/CommandLineTool/CommandLineTool.hpp"
#include "VeltoDevice/CommandLineTool/CommandLineToolError.hpp"
#include "VeltoDevice/CommandLineTool/SystemCommandLineLinks.hpp"
#include "VeltoDevice/Support/FileError.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "AsyncTestLoop.hpp"
#include "FileFixtures.hpp"
#include "ScriptFixtures.hpp"
#include "TemporaryFolder.hpp"
#include "UnprivilegedRun.hpp"

namespace velto {
namespace {

namespace fs = std::filesystem;
using State = CommandLineToolState;
using Install = CommandLineToolInstall;
using testing::AsyncTestLoop;
using testing::TemporaryFolder;
using testing::writeFile;

/// Links on the real file system whose administrator path is scripted, recording what was asked.
class ScriptedLinks final : public CommandLineLinks {
public:
    std::exception_ptr userError;
    std::exception_ptr administratorError;
    std::vector<std::string> calls;

    bool hasEntry(const fs::path& path) const override { return system.hasEntry(path); }
    std::optional<fs::path> destination(const fs::path& link) const override {
        return system.destination(link);
    }
    void link(const fs::path& link, const fs::path& target) override {
        calls.push_back("link");
        if (userError)
            std::rethrow_exception(userError);
        system.link(link, target);
    }
    boost::asio::awaitable<void> linkAsAdministrator(fs::path, fs::path) override {
        calls.push_back("administrator");
        if (administratorError)
            std::rethrow_exception(administratorError);
        co_return;
    }

private:
    SystemCommandLineLinks system{nullptr};
};

class CommandLineToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        writeFile(command, "#!/bin/sh\n");
        writeFile(otherCopy, "#!/bin/sh\n");
    }

    CommandLineTool tool(std::optional<fs::path> withCommand) {
        return {links, std::move(withCommand), link};
    }
    Install install(std::optional<fs::path> withCommand) {
        return loop.run(tool(std::move(withCommand)).install());
    }

    TemporaryFolder temporary;
    const fs::path bundle = temporary.path() / "Applications" / "Velto.app";
    const fs::path command = bundle / "Contents" / "Resources" / "velto";
    const fs::path otherCopy = temporary.path() / "Old" / "Velto.app" / "Contents" / "Resources" / "velto";
    const fs::path link = temporary.path() / "usr" / "local" / "bin" / "velto";
    std::shared_ptr<ScriptedLinks> links = std::make_shared<ScriptedLinks>();
    AsyncTestLoop loop;
};

TEST_F(CommandLineToolTest, TheStateComesFromWhatIsAtTheLinkPath) {
    struct Row {
        const char* name;
        std::function<void()> make;
        State state;
    };
    auto symlink = [this](fs::path target) {
        fs::create_directories(link.parent_path());
        fs::create_symlink(target, link);
    };
    const Row rows[] = {
        {"nothing", [] {}, State::notInstalled},
        {"a link to this copy's command", [&] { symlink(command); }, State::installed},
        {"through \".\" and \"..\"",
         [&] { symlink(bundle / "Contents" / "." / "bin" / ".." / "Resources" / "velto"); },
         State::installed},
        {"a relative link from the link's folder",
         [&] {
             symlink(fs::path("../../..") / "Applications" / "Velto.app" / "Contents" / "Resources" /
                     "velto");
         },
         State::installed},
        {"a regular file", [&] { writeFile(link, "#!/bin/sh\n"); }, State::taken},
        {"a folder", [&] { fs::create_directories(link); }, State::taken},
        {"a link to another copy that exists", [&] { symlink(otherCopy); }, State::taken},
        {"a dangling link", [&] { symlink(temporary.path() / "gone"); }, State::notInstalled},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove_all(temporary.path() / "usr");
        row.make();
        EXPECT_EQ(tool(command).state(), row.state);
        EXPECT_EQ(tool(std::nullopt).state(), State::unavailable);
    }
}

TEST_F(CommandLineToolTest, OnlyACopyInAnAppBundleMayLinkItsCommand) {
    EXPECT_EQ(CommandLineTool::inBundle(links, bundle, command, link).command(), command);
    EXPECT_EQ(CommandLineTool::inBundle(links, temporary.path() / "Velto", command, link).state(),
              State::unavailable);
    const fs::path translocated = temporary.path() / "AppTranslocation" / "X" / "d" / "Velto.app";
    EXPECT_EQ(CommandLineTool::inBundle(links, translocated, command, link).state(), State::unavailable);
    if (!testing::isRoot()) {
        fs::permissions(bundle.parent_path(), fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_EQ(CommandLineTool::inBundle(links, bundle, command, link).command(), command)
            << "a folder the user cannot write still installs the tool";
        fs::permissions(bundle.parent_path(), fs::perms::owner_all);
    }
}

TEST_F(CommandLineToolTest, InstallLinksAsTheUserWhenItCan) {
    EXPECT_EQ(install(command), Install::installed());
    EXPECT_EQ(fs::read_symlink(link), command);
    EXPECT_EQ(tool(command).state(), State::installed);
    EXPECT_EQ(install(command), Install::installed()) << "installed: nothing is touched";
    EXPECT_EQ(links->calls, std::vector<std::string>{"link"});
}

TEST_F(CommandLineToolTest, ADanglingLinkIsReplaced) {
    fs::create_directories(link.parent_path());
    fs::create_symlink(temporary.path() / "gone", link);
    EXPECT_EQ(install(command), Install::installed());
    EXPECT_EQ(fs::read_symlink(link), command);
}

TEST_F(CommandLineToolTest, RefusalsAreOneSentence) {
    writeFile(link, "someone else's");
    EXPECT_EQ(install(command),
              Install::refused(link.string() + " is another program. Remove it, then install again."));
    EXPECT_EQ(testing::readText(link), "someone else's");
    EXPECT_EQ(install(std::nullopt),
              Install::refused("This copy of Velto has no command to install. Start Velto from its Velto.app "
                               "folder on a disk that is not read-only."));
    EXPECT_TRUE(links->calls.empty()) << "no link and no password prompt";
}

TEST_F(CommandLineToolTest, AFolderTheUserCannotWriteAsksForAnAdministrator) {
    struct Row {
        const char* name;
        std::exception_ptr administratorError;
        Install outcome;
    };
    const Row rows[] = {
        {"linked", nullptr, Install::installed()},
        {"prompt dismissed", std::make_exception_ptr(CommandLineToolError::cancelled()),
         Install::cancelled()},
        {"refused by the script",
         std::make_exception_ptr(
             CommandLineToolError::failed("Another program is there now. Remove it, then install again.")),
         Install::refused(
             "Velto could not install the velto command. Another program is there now. Remove it, then "
             "install again.")},
        {"nothing said", std::make_exception_ptr(CommandLineToolError::failed("")),
         Install::refused("Velto could not install the velto command. ")},
        {"another error", std::make_exception_ptr(std::runtime_error("pkexec did not answer in time.")),
         Install::refused("Velto could not install the velto command. pkexec did not answer in time.")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        links->calls.clear();
        links->userError = std::make_exception_ptr(CommandLineToolError::needsAdministrator());
        links->administratorError = row.administratorError;
        EXPECT_EQ(install(command), row.outcome);
        EXPECT_EQ(links->calls, (std::vector<std::string>{"link", "administrator"}));
    }
}

TEST_F(CommandLineToolTest, AnotherFailureOfTheUsersLinkIsRefusedWithoutAPrompt) {
    links->userError = std::make_exception_ptr(FileError::write(link.string(), "Read-only file system"));
    EXPECT_EQ(install(command),
              Install::refused("Velto could not install the velto command. The system did not save " +
                               link.string() + ": Read-only file system."));
    EXPECT_EQ(links->calls, std::vector<std::string>{"link"});
}

TEST(SystemCommandLineLinks, TheUsersLinkNeverRemovesAnythingButADanglingLink) {
    struct Row {
        const char* name;
        std::function<void(const fs::path& link, const fs::path& root)> make;
    };
    const Row rows[] = {
        {"a file", [](const fs::path& l, const fs::path&) { writeFile(l, "mine"); }},
        {"a folder", [](const fs::path& l, const fs::path&) { fs::create_directories(l / "inside"); }},
        {"a live link",
         [](const fs::path& l, const fs::path& r) {
             writeFile(r / "other", "x");
             fs::create_symlink(r / "other", l);
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TemporaryFolder temporary;
        const fs::path link = temporary.path() / "bin" / "velto";
        fs::create_directories(link.parent_path());
        row.make(link, temporary.path());
        auto before = fs::symlink_status(link).type();
        SystemCommandLineLinks links(nullptr);
        try {
            links.link(link, temporary.path() / "velto");
            ADD_FAILURE() << "linked over it";
        } catch (const CommandLineToolError& error) {
            EXPECT_EQ(error, CommandLineToolError::failed(
                                 "Another program is there now. Remove it, then install again."));
        }
        EXPECT_EQ(fs::symlink_status(link).type(), before);
    }
}

// Root may write any folder, so this runs as another user.
TEST(SystemCommandLineLinks, AFolderThatRefusesTheUserNeedsAnAdministrator) {
    if (!testing::runsUnprivileged())
        return;
    TemporaryFolder temporary;
    const fs::path bin = temporary.path() / "bin";
    fs::create_directories(bin);
    fs::permissions(bin, fs::perms::owner_read | fs::perms::owner_exec);
    SystemCommandLineLinks links(nullptr);
    for (const fs::path& link : {bin / "velto", bin / "local" / "velto"}) {
        try {
            links.link(link, temporary.path() / "velto");
            ADD_FAILURE() << "linked";
        } catch (const CommandLineToolError& error) {
            EXPECT_EQ(error.kind(), CommandLineToolError::Case::needsAdministrator);
        }
    }
    fs::permissions(bin, fs::perms::owner_all);
}

} // namespace
} // namespace velto
