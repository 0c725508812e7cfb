#include "VeltoDesktop/LinkHandlerEntry.hpp"
#include "VeltoDevice/Harness/ProcessRunner.hpp"
#include "VeltoDevice/Support/SystemClock.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "AsyncTestLoop.hpp"
#include "CapturingLogSink.hpp"
#include "TemporaryFolder.hpp"

namespace velto {
namespace {

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

TEST(LinkHandlerEntryTest, TheSchemeIsClaimedOnlyWhenNoHandlerIsSet) {
    auto log = testing::CapturingLogSink::install();
    testing::TemporaryFolder folder;
    const auto calls = folder.path() / "calls";
    struct Case {
        std::string answer;
        std::vector<std::string> calls;
    };
    for (const auto& c : std::vector<Case>{{"",
                                            {"query default x-scheme-handler/velto",
                                             "default app.velto.desktop.desktop x-scheme-handler/velto"}},
                                           {"other.desktop", {"query default x-scheme-handler/velto"}}}) {
        std::filesystem::remove(calls);
        const auto tool = folder.path() / "xdg-mime";
        std::ofstream(tool) << "#!/bin/sh\necho \"$*\" >> '" << calls.string() << "'\n"
                            << "[ \"$1\" = query ] && printf '" << c.answer << "'\nexit 0\n";
        std::filesystem::permissions(tool, std::filesystem::perms(0755));
        testing::AsyncTestLoop loop;
        ProcessRunner runner(SystemClock::shared());
        loop.run(LinkHandlerEntry::claimScheme(runner, {{"PATH", "/usr/bin:/bin"}}, tool));
        std::istringstream lines(read(calls));
        std::vector<std::string> seen;
        for (std::string line; std::getline(lines, line);)
            seen.push_back(line);
        EXPECT_EQ(seen, c.calls) << c.answer;
    }
}

} // namespace
} // namespace velto
