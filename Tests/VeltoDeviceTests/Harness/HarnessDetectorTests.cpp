#include "VeltoDevice/Harness/HarnessDetector.hpp"
#include "VeltoDevice/Harness/ProcessRunner.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "AsyncTestLoop.hpp"
#include "FixedLoginPath.hpp"
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

/// One fake tool for every kind, steered by variables named after it and the step ("version" for
/// --version, "login" otherwise): <tool>_<step>_out, _err, _exit, _hang (hangs), _after (waits until
/// that step of another tool is done). Each call is recorded in FIXTURE/calls, its PATH in
/// FIXTURE/<tool>.<step>.path.
constexpr const char* kFakeTool = R"(
tool=${0##*/}
if [ "$1" = "--version" ]; then step=version; else step=login; fi
echo "$tool $*" >> "$FIXTURE/calls"
echo "$PATH" > "$FIXTURE/$tool.$step.path"
eval "out=\${${tool}_${step}_out-}; err=\${${tool}_${step}_err-}; code=\${${tool}_${step}_exit-0}"
eval "hang=\${${tool}_${step}_hang-}; after=\${${tool}_${step}_after-}"
if [ -n "$hang" ]; then : > "$FIXTURE/$tool.$step.hanging"; exec sleep 1000; fi
if [ -n "$after" ]; then while [ ! -e "$FIXTURE/$after.done" ]; do sleep 0.01; done; fi
printf '%s' "$out"
printf '%s' "$err" >&2
: > "$FIXTURE/$tool.$step.done"
exit "$code"
)";

class HarnessDetectorTest : public ::testing::Test {
protected:
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    AsyncTestLoop loop;
    TemporaryFolder folder;
    fs::path bin = folder.path() / "bin";

    void install(std::initializer_list<const char*> tools) {
        fs::create_directories(bin);
        for (const char* tool : tools)
            testing::writeShellScript(bin / tool, kFakeTool);
    }

    HarnessDetector detector(Environment variables,
                             std::shared_ptr<testing::FixedLoginPath> paths = nullptr) {
        variables["FIXTURE"] = folder.path().string();
        variables["PATH"] = "/somewhere/else";
        if (!paths)
            paths = std::make_shared<testing::FixedLoginPath>(bin.string() + ":/usr/bin:/bin");
        return HarnessDetector(std::make_shared<ProcessRunner>(clock), std::move(variables),
                               std::move(paths));
    }

    std::vector<std::string> calls() const {
        std::vector<std::string> lines;
        auto text = testing::readText(folder.path() / "calls").value_or("");
        for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
            lines.push_back(text.substr(start, end - start));
        std::sort(lines.begin(), lines.end());
        return lines;
    }
};

TEST_F(HarnessDetectorTest, NoToolOnThePathIsThreeNotInstalled) {
    auto statuses = loop.run(detector({}).detect());
    EXPECT_EQ(statuses, (std::vector<HarnessStatus>{HarnessStatus::notInstalled(HarnessKind::claudeCode),
                                                    HarnessStatus::notInstalled(HarnessKind::codex),
                                                    HarnessStatus::notInstalled(HarnessKind::muse)}));
    for (const auto& status : statuses)
        EXPECT_EQ(status.report(), std::nullopt);
    EXPECT_TRUE(calls().empty());
}

TEST_F(HarnessDetectorTest, ProbesEachInstalledToolsVersionAndSignIn) {
    install({"claude", "codex", "muse"});
    auto paths = std::make_shared<testing::FixedLoginPath>(bin.string() + ":/usr/bin:/bin");
    auto statuses = loop.run(detector({{"claude_version_out", "2.1.3 (Claude Code)\n"},
                                       {"claude_login_out", R"({"loggedIn": true})"},
                                       {"codex_version_err", "codex-cli 0.46.0\n"},
                                       {"codex_version_exit", "2"},
                                       {"codex_login_out", "Not logged in\n"},
                                       {"muse_version_out", "muse, no version here"},
                                       {"muse_login_err", "weird"},
                                       {"muse_login_exit", "1"}},
                                      paths)
                                 .detect());
    EXPECT_EQ(
        statuses,
        (std::vector<HarnessStatus>{
            HarnessStatus::installed(HarnessKind::claudeCode, bin / "claude", "2.1.3", LoginState::signedIn),
            HarnessStatus::installed(HarnessKind::codex, bin / "codex", "0.46.0", LoginState::signedOut),
            HarnessStatus::installed(HarnessKind::muse, bin / "muse", std::nullopt, LoginState::unknown)}));
    EXPECT_EQ(calls(),
              (std::vector<std::string>{"claude --version", "claude auth status --json", "codex --version",
                                        "codex login status", "muse --version", "muse usage --json"}));
    // The PATH is asked once, with the application's environment as it is.
    ASSERT_EQ(paths->seen.size(), 1u);
    EXPECT_EQ(paths->seen[0].at("PATH"), "/somewhere/else");

    // The reports: an unknown sign-in reports false and keeps its version; no models yet.
    EXPECT_EQ(statuses[0].report(), (HarnessReport{HarnessKind::claudeCode, "2.1.3", true, std::nullopt}));
    EXPECT_EQ(statuses[2].report(), (HarnessReport{HarnessKind::muse, std::nullopt, false, std::nullopt}));
}

TEST_F(HarnessDetectorTest, ToolsRunWithTheLoginPath) {
    install({"codex"});
    auto statuses = loop.run(detector({{"codex_login_out", "Logged in"}}).detect());
    EXPECT_EQ(statuses[1], HarnessStatus::installed(HarnessKind::codex, bin / "codex", std::nullopt,
                                                    LoginState::signedIn));
    // The login PATH replaced the application's for both commands.
    auto loginPath = bin.string() + ":/usr/bin:/bin\n";
    EXPECT_EQ(testing::readText(folder.path() / "codex.version.path"), loginPath);
    EXPECT_EQ(testing::readText(folder.path() / "codex.login.path"), loginPath);
}

TEST_F(HarnessDetectorTest, AHangingVersionCommandStillLetsTheSignInRunAfter45Seconds) {
    install({"claude"});
    auto probing = detector({{"claude_version_hang", "1"}, {"claude_login_out", R"({"loggedIn": false})"}});
    auto detection = loop.spawn(probing.detect());
    loop.runUntil([&] { return fs::exists(folder.path() / "claude.version.hanging"); });
    clock->advance(44s);
    loop.drain();
    EXPECT_FALSE(detection->done);
    clock->advance(1s);
    loop.runUntil([&] { return detection->done; });
    EXPECT_EQ(detection->get()[0], HarnessStatus::installed(HarnessKind::claudeCode, bin / "claude",
                                                            std::nullopt, LoginState::signedOut));
}

TEST_F(HarnessDetectorTest, AHangingSignInCommandIsUnknown) {
    install({"muse"});
    auto probing = detector({{"muse_version_out", "1.2.3"}, {"muse_login_hang", "1"}});
    auto detection = loop.spawn(probing.detect());
    loop.runUntil([&] { return fs::exists(folder.path() / "muse.login.hanging"); });
    clock->advance(45s);
    loop.runUntil([&] { return detection->done; });
    EXPECT_EQ(detection->get()[2],
              HarnessStatus::installed(HarnessKind::muse, bin / "muse", "1.2.3", LoginState::unknown));
}

TEST_F(HarnessDetectorTest, StatusesComeInKindOrderWhateverOrderTheyFinish) {
    install({"claude", "codex", "muse"});
    // Claude finishes last, Codex after Muse.
    auto statuses = loop.run(detector({{"claude_version_after", "codex.login"},
                                       {"codex_version_after", "muse.login"},
                                       {"muse_login_out", "ok"}})
                                 .detect());
    ASSERT_EQ(statuses.size(), 3u);
    EXPECT_EQ(statuses[0].kind, HarnessKind::claudeCode);
    EXPECT_EQ(statuses[1].kind, HarnessKind::codex);
    EXPECT_EQ(statuses[2].kind, HarnessKind::muse);
    EXPECT_EQ(statuses[2].installedTool()->login, LoginState::signedIn);
}

} // namespace
} // namespace velto
