#include "VeltoDevice/Support/DesktopEntry.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace velto {
namespace {

TEST(DesktopEntry, AnExecArgumentIsQuotedAndItsProgramReadBack) {
    struct Row {
        std::string argument;
        std::string quoted; // as it stands in the file, after the string escapes
    };
    const Row rows[] = {
        {"/opt/Velto.app/Contents/bin/velto", R"(Exec="/opt/Velto.app/Contents/bin/velto")"},
        {"/a b/c", R"(Exec="/a b/c")"},
        {R"(/a"b)", R"(Exec="/a\\"b")"},
        {"/a`b", R"(Exec="/a\\`b")"},
        {"/a$HOME", R"(Exec="/a\\$HOME")"},
        {R"(/a\b)", R"(Exec="/a\\\\b")"},
        {"/100%", R"(Exec="/100%%")"},
        {"-velto", R"(Exec="-velto")"},
        {"/a;b=c#d", R"(Exec="/a;b=c#d")"},
        {"/ünï/コード", R"(Exec="/ünï/コード")"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.argument);
        auto quoted = DesktopEntry::execArgument(row.argument);
        ASSERT_TRUE(quoted);
        DesktopEntry entry{{{"Exec", *quoted}}};
        EXPECT_EQ(entry.text(), "[Desktop Entry]\n" + row.quoted + "\n");
        auto parsed = DesktopEntry::parse(entry.text());
        ASSERT_TRUE(parsed);
        EXPECT_EQ(parsed->value("Exec"), quoted);
        EXPECT_EQ(DesktopEntry::execProgram(*parsed->value("Exec")), row.argument);
    }
    for (const char* refused : {"/a\nb", "/a\tb", "/a\rb", "/a\x7f", "/a\x01"})
        EXPECT_EQ(DesktopEntry::execArgument(refused), std::nullopt) << refused;
}

TEST(DesktopEntry, AProgramWithPercentStartsThroughTheLauncher) {
    EXPECT_EQ(DesktopEntry::execCommand("/opt/a b/velto"), R"("/opt/a b/velto")");
    EXPECT_EQ(DesktopEntry::execCommand("/opt/100%/$v"),
              R"(/bin/sh -c "exec \"\$0\" \"\$@\"" "/opt/100%%/\$v")");
    EXPECT_EQ(DesktopEntry::execCommand("/opt/100%\n"), std::nullopt);
}

TEST(DesktopEntry, TheProgramOfAnExecLine) {
    struct Row {
        std::string exec;
        std::optional<std::string> program;
    };
    const Row rows[] = {
        {"/usr/bin/velto", "/usr/bin/velto"},
        {"  /usr/bin/velto --flag %u", "/usr/bin/velto"},
        {R"(/usr/bin/a\ b)", "/usr/bin/a b"},
        {R"("/usr/bin/a b" %U)", "/usr/bin/a b"},
        {R"("/a\"b\\c\$d\`e\x")", R"(/a"b\c$d`e\x)"},
        {"/100%%", "/100%"},
        {"%u", std::nullopt},
        {"/a%f", std::nullopt},
        {R"("/unterminated)", std::nullopt},
        {"", std::nullopt},
        {"   ", std::nullopt},
    };
    for (const Row& row : rows)
        EXPECT_EQ(DesktopEntry::execProgram(row.exec), row.program) << row.exec;
}

TEST(DesktopEntry, ParsingReadsTheDesktopEntryGroupOnly) {
    auto entry = DesktopEntry::parse("# comment\n\n[Desktop Entry]\r\nName = Velto\nName[de]=Velto DE\n"
                                     "Comment=\\sleading\\tand\\\\\n[Desktop Action x]\nName=Other\n");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->value("Name"), "Velto");
    EXPECT_EQ(entry->value("Name[de]"), "Velto DE");
    EXPECT_EQ(entry->value("Comment"), " leading\tand\\");
    EXPECT_EQ(entry->value("Missing"), std::nullopt);

    for (const char* broken : {"Name=x\n", "[Desktop Entry\nName=x\n", "[Desktop Entry]\nno field\n",
                               "[Desktop Entry]\n=value\n", "[Desktop Entry]\nKey=trailing\\\n"})
        EXPECT_EQ(DesktopEntry::parse(broken), std::nullopt) << broken;
    EXPECT_EQ(DesktopEntry::parse("[Desktop Entry]\nX=" + std::string(DesktopEntry::maximumFileSize, 'x')),
              std::nullopt);
    EXPECT_EQ((DesktopEntry{{{"Comment", " lead"}}}.text()), "[Desktop Entry]\nComment=\\slead\n");
}

} // namespace
} // namespace velto
