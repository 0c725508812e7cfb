#include "VeltoDesktop/System/LinkHandlerEntry.hpp"
#include "VeltoDevice/Harness/ProcessRunner.hpp"
#include "VeltoDevice/Support/SystemClock.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>

#include "AsyncTestLoop.hpp"
#include "CapturingLogSink.hpp"
#include "FileFixtures.hpp"
#include "ScriptFixtures.hpp"
#include "TemporaryFolder.hpp"

namespace velto {
namespace {

namespace fs = std::filesystem;

std::string read(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(LinkHandlerEntryTest, TheEntryStartsTheExecutableWithTheLinkAndIsWrittenOnlyWhenItDiffers) {
    testing::TemporaryFolder folder;
    LinkHandlerEntry entry("/opt/My Apps/Velto.app/Contents/bin/Velto", folder.path() / "applications");
    ASSERT_TRUE(entry.entry());
    EXPECT_EQ(entry.entry()->value("Exec"), "\"/opt/My Apps/Velto.app/Contents/bin/Velto\" -- %u");
    EXPECT_EQ(entry.entry()->value("MimeType"), "x-scheme-handler/velto;");
    EXPECT_TRUE(entry.writeIfDifferent());
    EXPECT_EQ(DesktopEntry::parse(read(entry.file()))->value("Exec"), entry.entry()->value("Exec"));
    EXPECT_FALSE(entry.writeIfDifferent()) << "the same entry is not written again";
    std::ofstream(entry.file()) << "[Desktop Entry]\nExec=/old/Velto -- %u\n";
    EXPECT_TRUE(entry.writeIfDifferent());
    EXPECT_FALSE(LinkHandlerEntry("/opt/Velto\n.app/Contents/bin/Velto", folder.path()).entry());
}

/// A scratch set of XDG folders, as on a desktop that xdg-mime does not recognise.
struct ScratchDesktop {
    testing::TemporaryFolder folder;
    fs::path applications() const { return folder.path() / "data" / "applications"; }
    fs::path userList() const { return folder.path() / "config" / "mimeapps.list"; }
    Environment environment() const {
        return {{"PATH", "/usr/bin:/bin"},
                {"HOME", (folder.path() / "home").string()},
                {"XDG_CONFIG_HOME", (folder.path() / "config").string()},
                {"XDG_CONFIG_DIRS", (folder.path() / "etc").string()},
                {"XDG_DATA_HOME", (folder.path() / "data").string()},
                {"XDG_DATA_DIRS", (folder.path() / "share").string()}};
    }
};

std::vector<std::string> lines(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

TEST(LinkHandlerEntryTest, TheSchemeIsClaimedOnlyWhenNoListNamesAHandler) {
    struct Case {
        const char* name;
        std::string list; // the user's mimeapps.list; none when empty
        bool claims;
        std::string logged;
    };
    const std::vector<Case> cases{
        {"none: our entry's MimeType line is no choice of the user's", "", true,
         "could not make Velto the handler of its links: xdg-mime named it in no mimeapps.list"},
        {"another application's", "[Default Applications]\nx-scheme-handler/velto=other.desktop\n", false,
         ""},
        {"ours already", "[Default Applications]\nx-scheme-handler/velto=app.velto.desktop.desktop\n", false,
         ""},
        {"an application that is gone", "[Default Applications]\nx-scheme-handler/velto=gone.desktop\n", true,
         "could not make Velto the handler of its links: xdg-mime named it in no mimeapps.list"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto log = testing::CapturingLogSink::install();
        ScratchDesktop desktop;
        LinkHandlerEntry ours("/opt/Velto.app/Contents/bin/Velto", desktop.applications());
        ours.writeIfDifferent();
        std::ofstream(desktop.applications() / "other.desktop")
            << "[Desktop Entry]\nType=Application\nExec=/bin/true\n";
        if (!c.list.empty())
            testing::writeFile(desktop.userList(), c.list);
        const auto calls = desktop.folder.path() / "calls";
        // A stand-in that answers as the real one would here and changes nothing.
        const auto tool = testing::writeShellScript(
            desktop.folder.path() / "xdg-mime",
            "echo \"$*\" >> '" + calls.string() +
                "'\n[ \"$1\" = query ] && echo app.velto.desktop.desktop\nexit 0\n");
        testing::AsyncTestLoop loop;
        ProcessRunner runner(SystemClock::shared());
        loop.run(LinkHandlerEntry::claimScheme(runner, desktop.environment(), tool));
        EXPECT_EQ(lines(read(calls)), c.claims ? std::vector<std::string>{"default app.velto.desktop.desktop "
                                                                          "x-scheme-handler/velto"}
                                               : std::vector<std::string>{});
        EXPECT_EQ(log->messages("app"),
                  c.logged.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.logged});
    }
}

TEST(LinkHandlerEntryTest, ABrowsersLinkReachesTheClaimingCopy) {
    // The real xdg-mime and GIO, on a desktop neither recognises; a "%" path starts through the launcher.
    for (const char* copy : {"My Apps/Velto.app", "100% \"sure\" %u $HOME/Velto.app"}) {
        SCOPED_TRACE(copy);
        auto log = testing::CapturingLogSink::install();
        ScratchDesktop desktop;
        const auto received = desktop.folder.path() / "received";
        const auto bin = desktop.folder.path() / copy / "Contents" / "bin";
        fs::create_directories(bin);
        const auto executable = testing::writeShellScript(
            bin / "Velto", "printf '%s\\n' \"$@\" > '" + received.string() + ".tmp'; mv '" +
                               received.string() + ".tmp' '" + received.string() + "'\n");
        LinkHandlerEntry entry(executable, desktop.applications());
        ASSERT_TRUE(entry.writeIfDifferent());

        testing::AsyncTestLoop loop;
        ProcessRunner runner(SystemClock::shared());
        loop.run(LinkHandlerEntry::claimScheme(runner, desktop.environment()));
        EXPECT_EQ(log->messages("app"), std::vector<std::string>{"Velto now opens enrollment links"});

        auto gio = [&](std::vector<std::string> arguments) {
            auto environment = desktop.environment();
            environment["LC_ALL"] = "C.UTF-8";
            auto running = runner.run("/usr/bin/gio", std::move(arguments), std::move(environment),
                                      std::chrono::seconds(20), std::nullopt);
            return loop.run(std::move(running));
        };
        auto mime = gio({"mime", "x-scheme-handler/velto"});
        EXPECT_TRUE(mime.standardOutput.starts_with(
            "Default application for “x-scheme-handler/velto”: app.velto.desktop.desktop\n"))
            << mime.standardOutput;
        auto opened = gio({"open", "velto://enroll?server=https://127.0.0.1:1/&code=ABCD-EFGH"});
        ASSERT_EQ(opened.exitCode, 0) << opened.standardError;
        // The launch is asynchronous: wait for the stand-in's file, as long as a slow machine needs.
        loop.runUntil([&] { return fs::exists(received); });
        EXPECT_EQ(
            lines(read(received)),
            (std::vector<std::string>{"--", "velto://enroll?server=https://127.0.0.1:1/&code=ABCD-EFGH"}));
    }
}

} // namespace
} // namespace velto
