#include "VeltoDesktop/Model/DevicePreferences.hpp"
#include "VeltoDesktop/System/PreferencesDomain.hpp"

#include <boost/asio/post.hpp>
#include <boost/asio/strand.hpp>
#include <boost/asio/thread_pool.hpp>
#include <gtest/gtest.h>

#include <fstream>
#include <future>
#include <sstream>
#include <thread>

#include "CapturingLogSink.hpp"
#include "TemporaryFolder.hpp"

namespace velto {
namespace {

class PreferencesTest : public ::testing::Test {
protected:
    std::shared_ptr<PreferencesDomain> domain(const std::string& name) {
        return std::make_shared<PreferencesDomain>(folder.path() / "Velto" / (name + ".json"), [] {
            return std::chrono::system_clock::time_point(std::chrono::seconds(1700000000));
        });
    }
    static std::string text(const std::filesystem::path& file) {
        std::ifstream in(file);
        std::stringstream out;
        out << in.rdbuf();
        return out.str();
    }

    std::shared_ptr<testing::CapturingLogSink> log = testing::CapturingLogSink::install();
    testing::TemporaryFolder folder;
};

TEST_F(PreferencesTest, EarlierChoicesAreCopiedOnlyWhereTheStandardDomainHasNone) {
    auto earlier = domain("app.velto.agent");
    earlier->set("lendsSubscriptions", false);
    earlier->set("lastServerAddress", "");
    earlier->set("paused", true);
    earlier->set("hasFinishedSetup", true);
    earlier->set("monitoredAgents", Json::array({"codex"}));
    auto standard = domain("app.velto.desktop");
    standard->set("paused", false);

    DevicePreferences preferences(standard, earlier);
    // Reading the file again shows what was written, with its types.
    PreferencesDomain reread(standard->file());
    EXPECT_EQ(reread.value("lendsSubscriptions"), Json(false));
    EXPECT_EQ(reread.value("lastServerAddress"), Json(""));
    EXPECT_EQ(reread.value("paused"), Json(false)) << "a key in both keeps the standard value";
    EXPECT_EQ(reread.value("hasFinishedSetup"), Json(true));
    EXPECT_EQ(reread.value("monitoredAgents"), Json::array({"codex"}));
    EXPECT_TRUE(preferences.hasFinishedSetup());
    EXPECT_EQ(preferences.monitoredAgents(), std::set<HarnessKind>{HarnessKind::codex});
    EXPECT_TRUE(earlier->value("paused")) << "nothing is removed from the earlier domain";
}

TEST_F(PreferencesTest, MonitoredAgentsSkipUnknownNamesAndAreStoredSorted) {
    auto standard = domain("app.velto.desktop");
    standard->set("monitoredAgents", Json::array({"zed", "muse", 7}));
    DevicePreferences preferences(standard, domain("app.velto.agent"));
    EXPECT_EQ(preferences.monitoredAgents(), std::set<HarnessKind>{HarnessKind::muse});

    int notified = 0;
    QObject::connect(&preferences, &DevicePreferences::monitoredAgentsChanged, [&] { ++notified; });
    preferences.setMonitoredAgents({HarnessKind::codex, HarnessKind::claudeCode});
    EXPECT_EQ(PreferencesDomain(standard->file()).value("monitoredAgents"),
              Json::array({"claude-code", "codex"}));
    preferences.setMonitoredAgents({HarnessKind::codex, HarnessKind::claudeCode});
    EXPECT_EQ(notified, 1) << "an equal value notifies nobody";
}

TEST_F(PreferencesTest, AWrongTypeReadsAsTheDefault) {
    auto standard = domain("app.velto.desktop");
    standard->set("lendsSubscriptions", "true");
    standard->set("hasFinishedSetup", 1);
    DevicePreferences preferences(standard, domain("app.velto.agent"));
    EXPECT_FALSE(preferences.lendsSubscriptions());
    EXPECT_FALSE(preferences.hasFinishedSetup());
    EXPECT_FALSE(standard->text("hasFinishedSetup"));
}

TEST_F(PreferencesTest, ADamagedFileIsSetAsideAndNeverOverwritten) {
    auto file = folder.path() / "Velto" / "app.velto.desktop.json";
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << "{\"paused\": tru";
    auto standard = domain("app.velto.desktop");
    EXPECT_FALSE(standard->value("paused"));
    auto aside = file.parent_path() / "app.velto.desktop.damaged-1700000000.json";
    EXPECT_EQ(text(aside), "{\"paused\": tru");
    standard->set("paused", true);
    EXPECT_EQ(PreferencesDomain(file).value("paused"), Json(true));
    EXPECT_EQ(text(aside), "{\"paused\": tru");
}

TEST_F(PreferencesTest, ADamagedFileThatCannotBeSetAsideIsLeftAsItIs) {
    auto file = folder.path() / "Velto" / "app.velto.desktop.json";
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << "[]";
    // Something already holds the name it would be set aside under.
    std::ofstream(file.parent_path() / "app.velto.desktop.damaged-1700000000.json") << "older";
    auto standard = domain("app.velto.desktop");
    standard->set("paused", true);
    EXPECT_EQ(text(file), "[]");
    EXPECT_EQ(standard->boolean("paused"), true) << "the value holds for this run";
}

TEST_F(PreferencesTest, WithAWriterAnAssignmentDoesNotWaitForTheFileAndTheLastOneIsWritten) {
    boost::asio::thread_pool pool(2);
    auto writer = boost::asio::make_strand(pool.get_executor());
    // The writer is held busy, as by a slow disk: an assignment must return all the same.
    std::promise<void> release;
    auto held = release.get_future().share();
    std::thread::id writerThread;
    boost::asio::post(writer, [held, &writerThread] {
        writerThread = std::this_thread::get_id();
        held.wait();
    });
    const auto file = folder.path() / "Velto" / "app.velto.desktop.json";
    PreferencesDomain standard(file, writer);
    standard.set("paused", true);
    standard.set("paused", false);
    standard.set("lastServerAddress", "https://velto.example");
    EXPECT_FALSE(std::filesystem::exists(file)) << "nothing was written on the caller's thread";
    EXPECT_EQ(standard.boolean("paused"), false) << "the domain answers with its values at once";

    release.set_value();
    pool.join();
    EXPECT_NE(writerThread, std::this_thread::get_id());
    PreferencesDomain reread(file);
    EXPECT_EQ(reread.value("paused"), Json(false)) << "the writes keep their order";
    EXPECT_EQ(reread.text("lastServerAddress"), "https://velto.example");
}

} // namespace
} // namespace velto
