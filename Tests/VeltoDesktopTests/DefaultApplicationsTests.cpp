#include "VeltoDesktop/System/DefaultApplications.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "FileFixtures.hpp"
#include "TemporaryFolder.hpp"

namespace velto {
namespace {

namespace fs = std::filesystem;
using testing::writeFile;

TEST(DefaultApplicationsTest, TheListsAreReadInTheOrderOfTheFolders) {
    Environment environment{{"HOME", "/home/u"},
                            {"XDG_CONFIG_DIRS", "/etc/a:relative:/etc/b"},
                            {"XDG_DATA_HOME", "/data"},
                            {"XDG_DATA_DIRS", "/usr/share"},
                            {"XDG_CURRENT_DESKTOP", "ubuntu:GNOME"}};
    EXPECT_EQ(DefaultApplications::files(environment),
              (std::vector<fs::path>{
                  "/home/u/.config/ubuntu-mimeapps.list", "/home/u/.config/gnome-mimeapps.list",
                  "/home/u/.config/mimeapps.list", "/etc/a/ubuntu-mimeapps.list",
                  "/etc/a/gnome-mimeapps.list", "/etc/a/mimeapps.list", "/etc/b/ubuntu-mimeapps.list",
                  "/etc/b/gnome-mimeapps.list", "/etc/b/mimeapps.list",
                  "/data/applications/ubuntu-mimeapps.list", "/data/applications/gnome-mimeapps.list",
                  "/data/applications/mimeapps.list", "/usr/share/applications/ubuntu-mimeapps.list",
                  "/usr/share/applications/gnome-mimeapps.list", "/usr/share/applications/mimeapps.list"}));
    EXPECT_EQ(
        DefaultApplications::files({{"HOME", "/home/u"}, {"XDG_CONFIG_HOME", "/c"}, {"XDG_DATA_DIRS", ""}}),
        (std::vector<fs::path>{
            "/c/mimeapps.list", "/etc/xdg/mimeapps.list", "/home/u/.local/share/applications/mimeapps.list",
            "/usr/local/share/applications/mimeapps.list", "/usr/share/applications/mimeapps.list"}))
        << "the defaults of unset and empty lists";
}

TEST(DefaultApplicationsTest, TheHandlerIsTheFirstInstalledDefault) {
    const std::string type = "x-scheme-handler/velto";
    struct File {
        std::string path; // below the scratch folder
        std::string text;
    };
    struct Case {
        const char* name;
        std::vector<File> files;
        std::optional<std::string> handler;
        std::string desktop = "";
    };
    const std::string installed = "[Desktop Entry]\nType=Application\nName=A\nExec=/bin/true\n";
    const File ours{"data/applications/app.velto.desktop.desktop",
                    "[Desktop Entry]\nExec=/bin/true\nMimeType=x-scheme-handler/velto;\n"};
    const File other{"data/applications/other.desktop", installed};
    auto list = [](std::string path, std::string lines) {
        return File{std::move(path), "# mine\n[Added Associations]\nx-scheme-handler/velto=added.desktop;\n\n"
                                     "[Default Applications]\n" +
                                         std::move(lines)};
    };
    const std::vector<Case> cases{
        {"no list at all: our own entry's MimeType line sets nothing", {ours}, std::nullopt},
        {"ours",
         {ours, list("config/mimeapps.list", "x-scheme-handler/velto=app.velto.desktop.desktop\n")},
         "app.velto.desktop.desktop"},
        {"another application's, with blanks and in other case",
         {ours, other,
          list("config/mimeapps.list", "text/plain=x.desktop\n X-Scheme-Handler/Velto = other.desktop ;\n")},
         "other.desktop"},
        {"one that is not installed, then an installed one",
         {other, list("config/mimeapps.list", "x-scheme-handler/velto=gone.desktop;other.desktop;\n")},
         "other.desktop"},
        {"only one that is not installed",
         {ours, list("config/mimeapps.list", "x-scheme-handler/velto=gone.desktop\n")},
         std::nullopt},
        {"an added association is no default",
         {ours, File{"data/applications/added.desktop", installed}, list("config/mimeapps.list", "")},
         std::nullopt},
        {"the user's list before the system's",
         {ours, other, list("config/mimeapps.list", "x-scheme-handler/velto=other.desktop\n"),
          list("share/applications/mimeapps.list", "x-scheme-handler/velto=app.velto.desktop.desktop\n")},
         "other.desktop"},
        {"a system list, its entry in a vendor folder",
         {File{"share/applications/vendor/tool.desktop", installed},
          list("share/applications/mimeapps.list", "x-scheme-handler/velto=vendor-tool.desktop\n")},
         "vendor-tool.desktop"},
        {"a list of the data home",
         {other, list("data/applications/mimeapps.list", "x-scheme-handler/velto=other.desktop\n")},
         "other.desktop"},
        {"the current desktop's list before the common one",
         {ours, other, list("config/gnome-mimeapps.list", "x-scheme-handler/velto=other.desktop\n"),
          list("config/mimeapps.list", "x-scheme-handler/velto=app.velto.desktop.desktop\n")},
         "other.desktop",
         "GNOME"},
        {"another desktop's list does not count",
         {other, list("config/kde-mimeapps.list", "x-scheme-handler/velto=other.desktop\n")},
         std::nullopt,
         "GNOME"},
        {"a file that is no key file names nothing",
         {other, list("config/mimeapps.list", "x-scheme-handler/velto=other.desktop\ngarbage\n")},
         std::nullopt},
        {"an id that climbs out of the folders",
         {File{"data/other.desktop", installed},
          list("config/mimeapps.list", "x-scheme-handler/velto=../other.desktop\n")},
         std::nullopt},
        {"the type in another group only",
         {other, File{"config/mimeapps.list", "[Other]\nx-scheme-handler/velto=other.desktop\n"}},
         std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TemporaryFolder folder;
        for (const auto& file : c.files)
            writeFile(folder.path() / file.path, file.text);
        Environment environment{{"HOME", (folder.path() / "home").string()},
                                {"XDG_CONFIG_HOME", (folder.path() / "config").string()},
                                {"XDG_CONFIG_DIRS", (folder.path() / "etc").string()},
                                {"XDG_DATA_HOME", (folder.path() / "data").string()},
                                {"XDG_DATA_DIRS", (folder.path() / "share").string()}};
        if (!c.desktop.empty())
            environment["XDG_CURRENT_DESKTOP"] = c.desktop;
        EXPECT_EQ(DefaultApplications::handler(type, environment), c.handler);
    }
}

} // namespace
} // namespace velto
