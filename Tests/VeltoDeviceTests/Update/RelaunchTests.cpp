#include "VeltoDevice/Support/DetachedProcessLauncher.hpp"
#include "VeltoDevice/Update/Relaunch.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <unistd.h>

#include "AsyncTestLoop.hpp"
#include "ChildProcess.hpp"
#include "ScriptFixtures.hpp"
#include "TemporaryFolder.hpp"

namespace velto {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

TEST(Relaunch, WaitsWithItsOwnScript) {
    EXPECT_EQ(Relaunch::script, "tries=0\n"
                                "while kill -0 \"$1\" 2>/dev/null && [ \"$tries\" -lt 150 ]; do\n"
                                "    sleep 0.2\n"
                                "    tries=$((tries + 1))\n"
                                "done\n"
                                "exec \"$2\"");
    EXPECT_EQ(Relaunch::arguments(42, "/opt/Velto.app/Contents/bin/velto"),
              (std::vector<std::string>{"/bin/sh", "-c", std::string(Relaunch::script), "velto-relaunch",
                                        "42", "/opt/Velto.app/Contents/bin/velto"}));
}

/// A fake bundle whose executable writes its process id and arguments to a marker, at a path with
/// spaces and quotes, relaunched through the spawn helper.
class RelaunchTest : public ::testing::Test {
protected:
    RelaunchTest() {
        fs::create_directories(executable().parent_path());
        fs::create_directories(bin());
        testing::writeShellScript(executable(),
                                  "echo $$ > \"$MARKER.partial\"\necho \"$#\" >> \"$MARKER.partial\"\n"
                                  "mv \"$MARKER.partial\" \"$MARKER\"\n");
    }

    fs::path executable() const {
        return folder.path() / "My \"Apps\" it's" / "Velto.app" / "Contents/bin/velto";
    }
    fs::path marker() const { return folder.path() / "marker"; }
    fs::path bin() const { return folder.path() / "bin"; }

    void relaunch(pid_t process, const std::string& path) {
        DetachedProcessLauncher launcher(loop.executor(), {{"MARKER", marker().string()}, {"PATH", path}});
        Relaunch::afterExit(process, executable(), launcher);
    }

    /// Runs the loop (which reaps the script) until the marker is there and its writer reaped.
    std::optional<std::string> markerOnceWritten() {
        auto deadline = std::chrono::steady_clock::now() + 20s;
        while (std::chrono::steady_clock::now() < deadline) {
            loop.context().restart();
            loop.context().run_for(10ms);
            if (auto pid = testing::readPid(marker()); pid && !fs::exists("/proc/" + std::to_string(*pid)))
                return testing::readText(marker());
        }
        return std::nullopt;
    }

    testing::TemporaryFolder folder;
    testing::AsyncTestLoop loop;
};

TEST_F(RelaunchTest, OpensTheAppOnceTheOldProcessHasExited) {
    testing::ChildProcess old("sleep", {"30"});
    relaunch(old.pid(), "/usr/bin:/bin");
    loop.context().run_for(50ms);
    EXPECT_FALSE(fs::exists(marker()));
    old.terminate();
    auto written = markerOnceWritten();
    ASSERT_TRUE(written.has_value());
    // No argument reaches the new copy.
    EXPECT_EQ(written->substr(written->find('\n') + 1), "0\n");
}

TEST_F(RelaunchTest, OpensTheAppAfter150RoundsWhenTheOldProcessStays) {
    auto rounds = folder.path() / "rounds";
    testing::writeShellScript(bin() / "sleep", "echo round >> \"" + rounds.string() + "\"\n");
    relaunch(::getpid(), bin().string() + ":/usr/bin:/bin");
    ASSERT_TRUE(markerOnceWritten().has_value());
    auto text = testing::readText(rounds).value_or("");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 150);
}

TEST_F(RelaunchTest, ReportsAScriptThatCannotStart) {
    DetachedProcessLauncher launcher(loop.executor(), {});
    EXPECT_THROW(launcher.start({(folder.path() / "missing").string()}), std::system_error);
}

} // namespace
} // namespace velto
