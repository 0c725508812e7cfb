#include "VeltoDevice/LoginItem/LoginItem.hpp"
#include "VeltoDevice/LoginItem/LoginItemError.hpp"
#include "VeltoDevice/LoginItem/SystemLoginItemService.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <gio/gdesktopappinfo.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

#include "AsyncTestLoop.hpp"
#include "CapturingLogSink.hpp"
#include "FileFixtures.hpp"
#include "ScopedEnvironmentVariable.hpp"
#include "ScriptFixtures.hpp"
#include "TemporaryFolder.hpp"

namespace velto {
namespace {

namespace fs = std::filesystem;
using State = LoginItemState;
using testing::readText;
using testing::TemporaryFolder;
using testing::writeFile;

class SystemLoginItemServiceTest : public ::testing::Test {
protected:
    SystemLoginItemService service() { return {executable, autostart}; }

    TemporaryFolder temporary;
    const fs::path executable = "/opt/Velto.app/Contents/bin/velto-desktop";
    const fs::path autostart = temporary.path() / "config" / "autostart";
    const fs::path entry = autostart / "app.velto.desktop.desktop";
};

TEST_F(SystemLoginItemServiceTest, RegisterWritesTheEntryAndUnregisterRemovesIt) {
    EXPECT_EQ(service().state(), State::off);
    service().registerItem();
    EXPECT_EQ(readText(entry), "[Desktop Entry]\nType=Application\nName=Velto\n"
                               "Exec=\"/opt/Velto.app/Contents/bin/velto-desktop\"\n");
    EXPECT_EQ(service().state(), State::on);
    service().registerItem();
    EXPECT_EQ(service().state(), State::on);
    service().unregisterItem();
    EXPECT_FALSE(fs::exists(entry));
    EXPECT_EQ(service().state(), State::off);
    EXPECT_NO_THROW(service().unregisterItem());
}

TEST_F(SystemLoginItemServiceTest, TheEntryOnDiskGivesTheState) {
    const std::string group = "[Desktop Entry]\nType=Application\nName=Velto\n";
    const std::string exec = "Exec=\"/opt/Velto.app/Contents/bin/velto-desktop\"\n";
    struct Row {
        const char* name;
        std::string text;
        State state;
    };
    const Row rows[] = {
        {"ours", group + exec, State::on},
        {"unquoted, with spaces around =", group + "Exec = /opt/Velto.app/Contents/bin/velto-desktop\n",
         State::on},
        {"with arguments and comments",
         "# mine\n" + group + "Exec=/opt/Velto.app/Contents/bin/velto-desktop %u\n", State::on},
        {"enabled explicitly", group + exec + "X-GNOME-Autostart-enabled=true\nHidden=false\n", State::on},
        {"hidden", group + exec + "Hidden=true\n", State::off},
        {"switched off", group + exec + "X-GNOME-Autostart-enabled=false\n", State::off},
        {"another copy", group + "Exec=\"/Applications/Old/Velto.app/Contents/bin/velto-desktop\"\n",
         State::off},
        {"a longer path", group + "Exec=/opt/Velto.app/Contents/bin/velto-desktop2\n", State::off},
        {"another group only", "[Other]\n" + exec, State::off},
        {"a line that is no field", group + "garbage\n" + exec, State::off},
        {"no Exec", group, State::off},
        {"an unterminated quote", group + "Exec=\"/opt/Velto.app/Contents/bin/velto-desktop\n", State::off},
        {"empty", "", State::off},
        {"too large", group + exec + "X-Padding=" + std::string(DesktopEntry::maximumFileSize, 'x') + "\n",
         State::off},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        writeFile(entry, row.text);
        EXPECT_EQ(service().state(), row.state);
    }
    fs::remove(entry);
    fs::create_directories(entry);
    EXPECT_EQ(service().state(), State::off) << "a folder in its place";
}

TEST_F(SystemLoginItemServiceTest, AnExecutableThatNoEntryCanNameIsUnavailable) {
    SystemLoginItemService odd("/opt/Velto\n.app/velto", autostart);
    EXPECT_EQ(odd.state(), State::unavailable);
    EXPECT_THROW(odd.registerItem(), LoginItemError);
    EXPECT_FALSE(fs::exists(autostart));
}

TEST_F(SystemLoginItemServiceTest, TheFolderFollowsXDGConfigHome) {
    testing::ScopedEnvironmentVariable home("HOME", temporary.path().c_str());
    struct Row {
        const char* value;
        fs::path folder;
    };
    const Row rows[] = {
        {nullptr, temporary.path() / ".config" / "autostart"},
        {"", temporary.path() / ".config" / "autostart"},
        {"relative/config", temporary.path() / ".config" / "autostart"},
        {"/srv/config", "/srv/config/autostart"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.value ? row.value : "unset");
        testing::ScopedEnvironmentVariable config("XDG_CONFIG_HOME", row.value);
        EXPECT_EQ(SystemLoginItemService::autostartFolder(), row.folder);
    }
}

/// The lines the fake executable wrote: its $0, its argument count and each argument.
std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        out.push_back(text.substr(start, end - start));
        start = end == std::string::npos ? text.size() : end + 1;
    }
    return out;
}

TEST_F(SystemLoginItemServiceTest, TheDesktopsLauncherStartsTheExecutableAtAnAwkwardPath) {
    // A "%" in the path goes through the fixed launcher: GIO cannot start such a path named directly.
    for (const char* name : {"Apps \"quoted\" back\\slash $HOME `tick` -dash",
                             "100% \"sure\" %u back\\slash $HOME `tick` -dash"}) {
        SCOPED_TRACE(name);
        const fs::path folder = temporary.path() / name;
        const fs::path awkward = folder / "-velto desktop";
        const fs::path log = temporary.path() / "argv.log";
        fs::remove(log);
        writeFile(awkward, "#!/bin/sh\nprintf '%s\\n' \"$0\" \"$#\" \"$@\" > \"$VELTO_ARGV_LOG.tmp\"\n"
                           "mv \"$VELTO_ARGV_LOG.tmp\" \"$VELTO_ARGV_LOG\"\n");
        fs::permissions(awkward, fs::perms::owner_all);
        SystemLoginItemService launched(awkward, autostart);
        launched.registerItem();
        EXPECT_EQ(launched.state(), State::on);

        testing::ScopedEnvironmentVariable logPath("VELTO_ARGV_LOG", log.c_str());
        GDesktopAppInfo* info = g_desktop_app_info_new_from_filename(entry.c_str());
        ASSERT_NE(info, nullptr) << "GIO did not read the entry: " << *readText(entry);
        GError* error = nullptr;
        gboolean started = g_app_info_launch(G_APP_INFO(info), nullptr, nullptr, &error);
        g_object_unref(info);
        ASSERT_TRUE(started) << (error ? error->message : "");
        // The launch is asynchronous: wait for the script's log, as long as a slow machine needs.
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!fs::exists(log) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_TRUE(fs::exists(log));
        EXPECT_EQ(lines(*readText(log)), (std::vector<std::string>{awkward.string(), "0"}));
    }
}

TEST_F(SystemLoginItemServiceTest, APathWithPercentIsOnOnlyThroughTheLauncher) {
    SystemLoginItemService percent("/opt/100%/Velto.app/Contents/bin/velto-desktop", autostart);
    const std::string group = "[Desktop Entry]\nType=Application\nName=Velto\n";
    writeFile(entry, group + "Exec=\"/opt/100%%/Velto.app/Contents/bin/velto-desktop\"\n");
    EXPECT_EQ(percent.state(), State::off) << "named directly, the desktop cannot start it";
    LoginItem item(std::make_shared<SystemLoginItemService>(percent), true);
    EXPECT_EQ(item.change(true), std::nullopt);
    EXPECT_EQ(readText(entry), group + R"(Exec=/bin/sh -c "exec \\"\\$0\\" \\"\\$@\\"" )"
                                       "\"/opt/100%%/Velto.app/Contents/bin/velto-desktop\"\n");
    EXPECT_EQ(percent.state(), State::on);
}

TEST_F(SystemLoginItemServiceTest, TheSettingsAreTheAutostartFolderOpenedByTheDesktop) {
    const fs::path log = temporary.path() / "opened.log";
    const fs::path opener = testing::writeShellScript(
        temporary.path() / "xdg-open", "printf '%s\\n' \"$@\" > \"$LOG.tmp\"; mv \"$LOG.tmp\" \"$LOG\"\n");
    testing::AsyncTestLoop loop;
    EXPECT_TRUE(service().openFolder(loop.executor(), {{"LOG", log.string()}}, opener));
    EXPECT_TRUE(fs::is_directory(autostart)) << "made when missing";
    loop.runUntil([&] { return fs::exists(log); });
    EXPECT_EQ(readText(log), autostart.string() + "\n");

    auto sink = testing::CapturingLogSink::install();
    EXPECT_FALSE(service().openFolder(loop.executor(), {}, temporary.path() / "no-opener"));
    ASSERT_EQ(sink->messages("app").size(), 1u);
    EXPECT_TRUE(sink->messages("app")[0].starts_with("could not open the autostart folder: "));
}

} // namespace
} // namespace velto
