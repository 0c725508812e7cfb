// The desktop's opener: its exit decides whether the page was taken, the address reaches it as one
// argument, and an opener still running when the application lets go of it is stopped.
#include "VeltoDesktop/Views/DesktopUrlOpening.hpp"

#include <boost/url/parse.hpp>
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <csignal>
#include <optional>
#include <string>

namespace velto::testing {
namespace {

using namespace std::chrono_literals;

class DesktopUrlOpeningTest : public ::testing::Test {
protected:
    /// A stand-in opener: a shell script with that body, run with the address as $1.
    QString standIn(const std::string& body) {
        const auto path = folder.filePath("opener");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(("#!/bin/sh\n" + body + "\n").c_str());
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }
    std::string written(const char* name) {
        QFile file(folder.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toStdString() : std::string();
    }
    /// Opens the address and waits for the one answer.
    std::optional<bool> answer(DesktopUrlOpening& opener, const std::string& address) {
        std::optional<bool> opened;
        int answers = 0;
        opener.open(boost::urls::parse_uri(address).value(), [&](bool taken) {
            opened = taken;
            ++answers;
        });
        EXPECT_TRUE(QTest::qWaitFor([&] { return opened.has_value(); }, 10'000));
        QTest::qWait(20); // a second answer would come now
        EXPECT_EQ(answers, 1);
        return opened;
    }

    QTemporaryDir folder;
};

TEST_F(DesktopUrlOpeningTest, TheOpenersExitSaysWhetherThePageWasTaken) {
    const QString dir = folder.path();
    struct Case {
        const char* what;
        std::string body;
        bool opened;
    };
    const std::vector<Case> cases{
        {"exit 0", "exit 0", true},
        {"no method available", "exit 3", false},
        {"no browser", "exit 4", false},
        {"killed", "kill -9 $$", false},
    };
    for (const auto& c : cases) {
        DesktopUrlOpening opener(standIn(c.body), 60s);
        EXPECT_EQ(answer(opener, "https://velto.example/organization/settings/devices?pair=mac"), c.opened)
            << c.what;
    }
    DesktopUrlOpening missing(dir + "/no-such-opener", 60s);
    EXPECT_EQ(answer(missing, "https://velto.example/"), false) << "an opener that cannot start";
}

TEST_F(DesktopUrlOpeningTest, TheAddressIsOneArgumentAndTheOpenerHasItsOwnSession) {
    const auto dir = folder.path().toStdString();
    DesktopUrlOpening opener(standIn("printf '%s\\n' \"$#\" \"$1\" > '" + dir + "/arguments'\n" +
                                     "cut -d' ' -f6 /proc/$$/stat > '" + dir + "/session'\n" + "echo $$ > '" +
                                     dir + "/pid'"),
                             60s);
    const std::string address = "https://velto.example/a%20b?pair=mac&x=$(touch%20" + dir + "/ran);y";
    EXPECT_EQ(answer(opener, address), true);
    EXPECT_EQ(written("arguments"), "1\n" + address);
    EXPECT_FALSE(QFile::exists(folder.filePath("ran")));
    EXPECT_EQ(written("session"), written("pid")) << "the opener leads a session of its own";
}

TEST_F(DesktopUrlOpeningTest, OnlyWebPagesAreHandedOver) {
    const auto dir = folder.path().toStdString();
    DesktopUrlOpening opener(standIn("touch '" + dir + "/ran'"), 60s);
    for (const auto* address :
         {"file:///etc/passwd", "velto://enroll?code=AAAA-BBBB", "javascript:alert(1)"}) {
        std::optional<bool> opened;
        opener.open(boost::urls::parse_uri(address).value(), [&](bool taken) { opened = taken; });
        EXPECT_EQ(opened, false) << address;
    }
    QTest::qWait(50);
    EXPECT_FALSE(QFile::exists(folder.filePath("ran")));
}

TEST_F(DesktopUrlOpeningTest, AnOpenerStillRunningAfterTheGraceHasTheBrowserAndIsStoppedAtTheEnd) {
    const auto dir = folder.path().toStdString();
    auto opener = std::make_unique<DesktopUrlOpening>(standIn("echo $$ > '" + dir + "/pid.tmp'; mv '" + dir +
                                                              "/pid.tmp' '" + dir + "/pid'; exec sleep 600"),
                                                      0ms);
    EXPECT_EQ(answer(*opener, "https://velto.example/"), true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(folder.filePath("pid")); }, 10'000));
    const auto pid = std::stoi(written("pid"));
    ASSERT_EQ(::kill(pid, 0), 0) << "still running";

    bool told = false;
    opener->open(boost::urls::parse_uri("https://velto.example/again").value(), [&](bool) { told = true; });
    opener.reset();
    EXPECT_EQ(::kill(pid, 0), -1);
    EXPECT_EQ(errno, ESRCH) << "stopped and reaped";
    QTest::qWait(20);
    EXPECT_FALSE(told) << "an opener stopped at the end answers no one";
}

} // namespace
} // namespace velto::testing
