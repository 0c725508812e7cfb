#include "VeltoDevice/Harness/LoginShellPath.hpp"
#include "VeltoDevice/Harness/ProcessRunner.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "AsyncTestLoop.hpp"
#include "ManualClock.hpp"
#include "ScriptFixtures.hpp"
#include "TemporaryFolder.hpp"

namespace velto {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using testing::AsyncTestLoop;
using testing::ManualClock;
using testing::TemporaryFolder;

/// A login shell whose two runs (told apart by "-i") behave as INTERACTIVE and LOGIN say: "give"
/// (banners around the command, run with that run's PATH), "give then fail" (the same, exit 1),
/// "fail", "one marker", "empty", "hang", or "late give" (gives only once the login run is done).
/// Each run records its arguments in FIXTURE/<run>.args.
constexpr const char* kFakeShell = R"(
run=login
for word in "$@"; do [ "$word" = "-i" ] && run=interactive; done
for word in "$@"; do command=$word; done
printf '%s\n' "$@" > "$FIXTURE/$run.args"
if [ $run = interactive ]; then mode=$INTERACTIVE; path=$INTERACTIVE_PATH; else mode=$LOGIN; path=$LOGIN_PATH; fi
echo "Last login: today"
case "$mode" in
  "late give")
    while [ ! -e "$FIXTURE/login.done" ]; do sleep 0.01; done
    PATH=$path; eval "$command" ;;
  give|"give then fail") PATH=$path; eval "$command" ;;
  "one marker") printf '__VELTO_PATH__/usr/bin' ;;
  empty) printf '__VELTO_PATH____VELTO_PATH__' ;;
  hang) : > "$FIXTURE/$run.hanging"; exec /bin/sleep 1000 ;;
  *) echo "zsh: bad start-up file" >&2; exit 1 ;;
esac
echo
echo "have a nice day"
[ $run = login ] && : > "$FIXTURE/login.done"
[ "$mode" = "give then fail" ] && exit 1
exit 0
)";

class LoginShellPathTest : public ::testing::Test {
protected:
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    LoginShellPath paths{std::make_shared<ProcessRunner>(clock)};
    AsyncTestLoop loop;
    TemporaryFolder folder;
    fs::path shell = testing::writeShellScript(folder.path() / "fake-zsh", kFakeShell);

    Environment environment(const std::string& interactive, const std::string& login) const {
        return {{"SHELL", shell.string()},
                {"FIXTURE", folder.path().string()},
                {"INTERACTIVE", interactive},
                {"INTERACTIVE_PATH", "/interactive/bin:/usr/bin:/bin"},
                {"LOGIN", login},
                {"LOGIN_PATH", "/login/bin:/usr/bin:/bin"}};
    }
};

TEST_F(LoginShellPathTest, TakesTheInteractiveRunsPathFirstThenTheLoginRunsThenTheFallback) {
    struct Case {
        std::string interactive;
        std::string login;
        std::optional<std::string> environmentPath;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"give", "give", std::nullopt, "/interactive/bin:/usr/bin:/bin"},
        {"fail", "give", std::nullopt, "/login/bin:/usr/bin:/bin"},
        {"fail", "fail", std::nullopt, "/usr/bin:/bin:/usr/sbin:/sbin"},
        {"fail", "fail", "/from/the/environment", "/from/the/environment"},
        {"one marker", "give", std::nullopt, "/login/bin:/usr/bin:/bin"},
        {"empty", "empty", std::nullopt, "/usr/bin:/bin:/usr/sbin:/sbin"},
        {"give then fail", "fail", std::nullopt, "/interactive/bin:/usr/bin:/bin"},
        // Finishes after the login run and still wins.
        {"late give", "give", std::nullopt, "/interactive/bin:/usr/bin:/bin"},
    };
    for (const auto& c : cases) {
        fs::remove(folder.path() / "login.done");
        auto env = environment(c.interactive, c.login);
        if (c.environmentPath)
            env["PATH"] = *c.environmentPath;
        EXPECT_EQ(loop.run(paths.resolve(env)), c.expected) << c.interactive << " / " << c.login;
    }
}

TEST_F(LoginShellPathTest, RunsTheShellInBothModesWithThePrintfCommand) {
    // The interactive run fails, so the login run is not stopped before it has recorded its arguments.
    loop.run(paths.resolve(environment("fail", "give")));
    const std::string command = "printf '__VELTO_PATH__%s__VELTO_PATH__' \"$PATH\"";
    EXPECT_EQ(LoginShellPath::shellCommand, command);
    EXPECT_EQ(testing::readText(folder.path() / "interactive.args"), "-i\n+m\n-l\n-c\n" + command + "\n");
    EXPECT_EQ(testing::readText(folder.path() / "login.args"), "-l\n-c\n" + command + "\n");
}

TEST_F(LoginShellPathTest, AHangingShellIsStoppedAfterTenSeconds) {
    auto both = loop.spawn(paths.resolve(environment("hang", "hang")));
    loop.runUntil([&] {
        return fs::exists(folder.path() / "interactive.hanging") &&
               fs::exists(folder.path() / "login.hanging");
    });
    clock->advance(9s);
    loop.drain();
    EXPECT_FALSE(both->done);
    clock->advance(1s);
    loop.runUntil([&] { return both->done; });
    EXPECT_EQ(both->get(), "/usr/bin:/bin:/usr/sbin:/sbin");
}

TEST_F(LoginShellPathTest, WaitsForTheInteractiveRunEvenWhenTheLoginRunHasAnswered) {
    auto resolving = loop.spawn(paths.resolve(environment("hang", "give")));
    // The login run is over once only the interactive run's time-out is left on the clock.
    loop.runUntil(
        [&] { return fs::exists(folder.path() / "interactive.hanging") && clock->sleeperCount() == 1; });
    loop.drain();
    EXPECT_FALSE(resolving->done);
    clock->advance(10s);
    loop.runUntil([&] { return resolving->done; });
    EXPECT_EQ(resolving->get(), "/login/bin:/usr/bin:/bin");
}

TEST_F(LoginShellPathTest, TheShellIsShellElseThePasswordDatabasesElseZshElseSh) {
    std::string accountShell = "/bin/sh";
    if (auto* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_shell[0] == '/')
        accountShell = entry->pw_shell;
    struct Case {
        std::optional<std::string> shellVariable;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"/opt/shells/fish", "/opt/shells/fish"},
        {std::nullopt, accountShell},
        {"", accountShell},
        {"bin/zsh", accountShell},
    };
    for (const auto& c : cases) {
        Environment env;
        if (c.shellVariable)
            env["SHELL"] = *c.shellVariable;
        EXPECT_EQ(LoginShellPath::shell(env), c.expected) << c.shellVariable.value_or("(none)");
    }
}

TEST(LoginShellPath, ExtractsThePathBetweenTheFirstTwoMarkers) {
    struct Case {
        std::string output;
        std::optional<std::string> path;
    };
    const std::vector<Case> cases = {
        {"Welcome!\n__VELTO_PATH__/opt/bin:/usr/bin__VELTO_PATH__\nBye\n", "/opt/bin:/usr/bin"},
        {"__VELTO_PATH__/a__VELTO_PATH__/b__VELTO_PATH__", "/a"},
        {"__VELTO_PATH__ with spaces __VELTO_PATH__", " with spaces "},
        {"__VELTO_PATH__/usr/bin", std::nullopt},
        {"__VELTO_PATH____VELTO_PATH__", std::nullopt},
        {"no markers at all", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LoginShellPath::extract(c.output), c.path) << c.output;
}

TEST(LoginShellPath, LocatesTheFirstExecutableFileOnThePath) {
    TemporaryFolder folder;
    auto make = [&](const std::string& name) {
        auto dir = folder.path() / name;
        fs::create_directories(dir);
        return dir;
    };
    auto plain = make("plain"); // a file of that name that may not be executed
    testing::writeShellScript(plain / "tool", "exit 0\n");
    ::chmod((plain / "tool").c_str(), 0644);
    auto folderNamed = make("folder"); // a folder of that name
    fs::create_directories(folderNamed / "tool");
    auto good = make("good");
    testing::writeShellScript(good / "tool", "exit 0\n");
    auto other = make("other");
    testing::writeShellScript(other / "tool", "exit 0\n");
    // A relative entry naming a real tool: skipped, since it would depend on our working folder.
    auto relative = fs::relative(other, fs::current_path()).string();

    struct Case {
        std::string path;
        std::optional<fs::path> found;
    };
    const std::vector<Case> cases = {
        {good.string(), good / "tool"},
        {":" + good.string(), good / "tool"},
        {plain.string() + "::" + good.string() + ":" + other.string(), good / "tool"},
        {folderNamed.string() + ":" + other.string(), other / "tool"},
        {relative + ":" + good.string(), good / "tool"},
        {plain.string() + ":" + folderNamed.string(), std::nullopt},
        {"", std::nullopt},
        {":::", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LoginShellPath::locate("tool", c.path), c.found) << c.path;
    EXPECT_EQ(LoginShellPath::locate("", good.string()), std::nullopt);
    EXPECT_EQ(LoginShellPath::locate("good/tool", folder.path().string()), std::nullopt);
}

} // namespace
} // namespace velto
