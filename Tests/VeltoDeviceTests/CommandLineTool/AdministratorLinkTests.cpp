#include "VeltoDevice/CommandLineTool/AdministratorLink.hpp"
#include "VeltoDevice/CommandLineTool/CommandLineTool.hpp"
#include "VeltoDevice/CommandLineTool/CommandLineToolError.hpp"
#include "VeltoDevice/CommandLineTool/SystemCommandLineLinks.hpp"
#include "VeltoDevice/Harness/ProcessRunner.hpp"
#include "VeltoDevice/Support/SystemClock.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "AsyncTestLoop.hpp"
#include "FileFixtures.hpp"
#include "ManualClock.hpp"
#include "ScriptFixtures.hpp"
#include "TemporaryFolder.hpp"

namespace velto {
namespace {

namespace fs = std::filesystem;
using Install = CommandLineToolInstall;
using testing::AsyncTestLoop;
using testing::readText;
using testing::TemporaryFolder;
using testing::writeFile;

/// Paths no script could take apart if they were ever quoted into one.
struct AwkwardPaths {
    explicit AwkwardPaths(const fs::path& root)
        : link(root / "usr local \"bin\" back\\slash $HOME `x`" / "-dash" / "velto"),
          target(root / "Apps" / "Velto's \"copy\" $PATH \\n" / "-velto") {
        writeFile(target, "#!/bin/sh\n");
    }
    fs::path link;
    fs::path target;
};

class AdministratorLinkTest : public ::testing::Test {
protected:
    /// The script run directly with /bin/sh, as pkexec would run it: its exit status.
    int runScript(const fs::path& link, const fs::path& target) {
        auto arguments = AdministratorLink::arguments(link, target);
        arguments.erase(arguments.begin());
        auto running = runner->run("/bin/sh", arguments, {}, std::chrono::seconds(30), temporary.path());
        return loop.run(std::move(running)).exitCode;
    }

    TemporaryFolder temporary;
    AsyncTestLoop loop;
    std::shared_ptr<ProcessRunner> runner = std::make_shared<ProcessRunner>(SystemClock::shared());
    AwkwardPaths paths{temporary.path()};
};

TEST_F(AdministratorLinkTest, TheScriptMakesTheLinkWithEveryPathIntact) {
    EXPECT_EQ(AdministratorLink::arguments("/usr/local/bin/velto", "/opt/Velto.app/Contents/Resources/velto"),
              (std::vector<std::string>{"/bin/sh", "-c", std::string(AdministratorLink::script), "velto-link",
                                        "/usr/local/bin/velto", "/usr/local/bin",
                                        "/opt/Velto.app/Contents/Resources/velto"}));
    EXPECT_EQ(runScript(paths.link, paths.target), 0);
    EXPECT_EQ(fs::read_symlink(paths.link), paths.target);

    fs::remove(paths.link);
    fs::create_symlink(temporary.path() / "gone", paths.link);
    EXPECT_EQ(runScript(paths.link, paths.target), 0) << "a dangling link is nothing";
    EXPECT_EQ(fs::read_symlink(paths.link), paths.target);
}

TEST_F(AdministratorLinkTest, TheScriptExits73WhenSomethingCameFirst) {
    struct Row {
        const char* name;
        std::function<void()> make;
    };
    const Row rows[] = {
        {"a file", [&] { writeFile(paths.link, "mine"); }},
        {"a folder", [&] { fs::create_directories(paths.link / "inside"); }},
        {"a live link", [&] { fs::create_symlink(paths.target, paths.link); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove_all(paths.link.parent_path());
        fs::create_directories(paths.link.parent_path());
        row.make();
        auto before = fs::symlink_status(paths.link).type();
        EXPECT_EQ(runScript(paths.link, temporary.path() / "other"), AdministratorLink::takenStatus);
        EXPECT_EQ(fs::symlink_status(paths.link).type(), before);
        EXPECT_FALSE(fs::exists(paths.link / "other"));
    }
}

/// Links that refuse the user, so that the install asks pkexec.
class AdministratorOnlyLinks final : public CommandLineLinks {
public:
    explicit AdministratorOnlyLinks(std::shared_ptr<SystemCommandLineLinks> system)
        : system_(std::move(system)) {}

    bool hasEntry(const fs::path& path) const override { return system_->hasEntry(path); }
    std::optional<fs::path> destination(const fs::path& link) const override {
        return system_->destination(link);
    }
    void link(const fs::path&, const fs::path&) override { throw CommandLineToolError::needsAdministrator(); }
    boost::asio::awaitable<void> linkAsAdministrator(fs::path link, fs::path target) override {
        return system_->linkAsAdministrator(std::move(link), std::move(target));
    }

private:
    std::shared_ptr<SystemCommandLineLinks> system_;
};

TEST_F(AdministratorLinkTest, PkexecsExitStatusDecidesTheInstall) {
    const fs::path log = temporary.path() / "pkexec.log";
    struct Row {
        const char* name;
        std::string body; // after logging the arguments and the environment
        Install outcome;
    };
    const Row rows[] = {
        {"authorised", "exec \"$@\"\n", Install::installed()},
        {"dismissed", "echo 'Error executing command as another user: Request dismissed' >&2\nexit 126\n",
         Install::cancelled()},
        {"not authorised",
         "echo '  Error executing command as another user: Not authorized  ' >&2\nexit 127\n",
         Install::refused(
             "Velto could not install the velto command. Error executing command as another user: "
             "Not authorized")},
        // Another program arrives between the state read and the script ("$5" is the link, "$6" its folder).
        {"something came first", "mkdir -p \"$6\" && echo mine > \"$5\"\nexec \"$@\"\n",
         Install::refused(
             "Velto could not install the velto command. Another program is there now. Remove it, then "
             "install again.")},
        {"a failure without words", "exit 1\n",
         Install::refused("Velto could not install the velto command. ")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove_all(paths.link.parent_path());
        fs::remove(log);
        const fs::path pkexec =
            testing::writeShellScript(temporary.path() / "pkexec",
                                      "printf '%s\\n' \"$@\" > '" + log.string() +
                                          "'\nenv | grep -v '^PWD=' >> '" + log.string() + "'\n" + row.body);
        auto system = std::make_shared<SystemCommandLineLinks>(runner, pkexec);
        CommandLineTool tool(std::make_shared<AdministratorOnlyLinks>(system), paths.target, paths.link);
        EXPECT_EQ(loop.run(tool.install()), row.outcome);
        EXPECT_EQ(readText(log), "/bin/sh\n-c\n" + std::string(AdministratorLink::script) + "\nvelto-link\n" +
                                     paths.link.string() + "\n" + paths.link.parent_path().string() + "\n" +
                                     paths.target.string() + "\n")
            << "the arguments, and an empty environment";
        if (row.outcome == Install::installed()) {
            EXPECT_EQ(fs::read_symlink(paths.link), paths.target);
        } else if (fs::exists(paths.link)) {
            EXPECT_EQ(readText(paths.link), "mine\n") << "never replaced";
        }
    }
}

TEST_F(AdministratorLinkTest, APromptLeftOpenFor300SecondsIsRefused) {
    auto clock = std::make_shared<testing::ManualClock>();
    const fs::path started = temporary.path() / "started";
    const fs::path pkexec = testing::writeShellScript(temporary.path() / "pkexec",
                                                      "touch '" + started.string() + "'\nexec sleep 3600\n");
    SystemCommandLineLinks links(std::make_shared<ProcessRunner>(clock), pkexec);
    CommandLineTool tool(
        std::make_shared<AdministratorOnlyLinks>(std::make_shared<SystemCommandLineLinks>(links)),
        paths.target, paths.link);
    auto install = loop.spawn(tool.install());
    loop.runUntil([&] { return fs::exists(started); });
    clock->advance(std::chrono::seconds(299));
    loop.drain();
    EXPECT_FALSE(install->done);
    clock->advance(std::chrono::seconds(1));
    loop.runUntil([&] { return install->done; });
    EXPECT_EQ(install->get(),
              Install::refused("Velto could not install the velto command. pkexec did not answer in time."));
}

} // namespace
} // namespace velto
