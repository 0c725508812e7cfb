// The executable against the project's Node peer: the test enrolls two organizations through the
// library into the agent's scratch home, then starts the agent, which restores and connects them.
#include "VeltoDevice/CommandLineTool/CommandLineLogins.hpp"
#include "VeltoDevice/Enrollment/EnrollmentClient.hpp"
#include "VeltoDevice/Enrollment/EnrollmentListStore.hpp"
#include "VeltoDevice/Enrollment/EnrollmentRequest.hpp"
#include "VeltoDevice/Enrollment/SavedEnrollments.hpp"
#include "VeltoDevice/HTTP/BeastHTTPTransport.hpp"
#include "VeltoDevice/HTTP/DeviceIdentity.hpp"
#include "VeltoDevice/Keys/KeychainDeviceKeyring.hpp"
#include "VeltoDevice/Keys/SecureEnclaveKeyStore.hpp"
#include "VeltoDevice/Support/Base64.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <set>
#include <thread>

#include "AgentProcess.hpp"
#include "AsyncTestLoop.hpp"
#include "EndToEndPeer.hpp"
#include "ScriptFixtures.hpp"

namespace velto {
namespace {

using testing::AgentProcess;
using namespace std::chrono_literals;

// A 1×1 PNG.
constexpr const char* pixel =
    "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8BQDwAEhQGAhKmMIQAAAABJRU5ErkJggg==";

class AgentEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (auto reason = AgentProcess::unavailableReason())
            GTEST_SKIP() << *reason;
        if (!std::getenv("VELTO_REQUIRE_SECRET_SERVICE"))
            GTEST_SKIP() << "needs the private keyring of scripts/with-keyring.sh";
        peer = std::make_unique<testing::EndToEndPeer>();
        agent = std::make_unique<AgentProcess>();
        agent->setVariable("SSL_CERT_FILE", peer->caFile().string());
    }

    /// Enrolls through the library as the agent would have, saving into the agent's home.
    Enrollment enrollInto(const std::string& code, const Json& organization) {
        peer->control("POST", "/control/enrollment-codes",
                      {{"codes", Json::array({{{"code", code}, {"organization", organization}}})}});
        auto server = VeltoServer::fromBaseURL(boost::urls::url(peer->baseURL()));
        auto transport = std::make_shared<BeastHTTPTransport>(
            BeastHTTPTransport::Options{.extraTrustAnchor = peer->caFile()});
        auto keyring = KeychainDeviceKeyring::standard();
        auto key = std::make_shared<SecureEnclaveDeviceKey>(SecureEnclaveKeyStore(keyring).makeKey());
        DeviceIdentity identity(server, key, transport);
        EnrollmentRequest request(ApprovedCode{server, EnrollmentCode::fromTyped(code)}, "Test Mac", "0.1.0",
                                  {});
        auto enrollment =
            *loop.run([](EnrollmentClient client,
                         EnrollmentRequest body) -> boost::asio::awaitable<std::optional<Enrollment>> {
                co_return co_await client.enroll(std::move(body));
            }(EnrollmentClient{server, identity.http}, request));
        saved().add(enrollment, key->dataRepresentation());
        return enrollment;
    }

    SavedEnrollments saved() const {
        return SavedEnrollments(KeychainDeviceKeyring::standard(),
                                std::make_shared<EnrollmentListStore>(listFile()));
    }
    std::filesystem::path listFile() const { return agent->home() / "data" / "Velto" / "enrollments.json"; }

    Json sessions() const { return peer->control("GET", "/control/connect/sessions")["sessions"]; }
    /// Open sessions; with `welcomed`, only those the peer has welcomed (their hello has arrived).
    int openSessions(bool welcomed) const {
        int open = 0;
        for (const auto& session : sessions())
            open += session["open"].get<bool>() && (!welcomed || session["welcomed"].get<bool>()) ? 1 : 0;
        return open;
    }
    /// Waits until the peer counts `count` open sessions, all welcomed.
    bool waitForOpenSessions(int count) const {
        for (int i = 0; i < 200; ++i) {
            if (openSessions(false) == count && openSessions(true) == count)
                return true;
            std::this_thread::sleep_for(50ms);
        }
        return false;
    }

    /// The first frame of `type` that a session received for the job, or null.
    Json jobFrame(const std::string& type, const std::string& jobId) const {
        for (const auto& session : sessions()) {
            for (const auto& frame : session["frames"]) {
                if (frame["type"] == type && frame.value("jobId", "") == jobId)
                    return frame;
            }
        }
        return nullptr;
    }
    Json waitForJobFrame(const std::string& type, const std::string& jobId) const {
        for (int i = 0; i < 200; ++i) {
            auto frame = jobFrame(type, jobId);
            if (!frame.is_null())
                return frame;
            std::this_thread::sleep_for(50ms);
        }
        return nullptr;
    }
    std::filesystem::path jobFolder() const { return agent->home() / "runtime" / "velto-jobs"; }
    bool hasJobFiles() const {
        return std::filesystem::exists(jobFolder()) && !std::filesystem::is_empty(jobFolder());
    }
    /// Offers a job whose runner stand-in takes `steps`, on every session or on the newest alone.
    void offerJob(const std::string& jobId, Json steps, bool newestSessionOnly = false) {
        Json job = {{"jobId", jobId},
                    {"reviewId", "review-1"},
                    {"harness", "claude-code"},
                    {"repository", {{"owner", "acme"}, {"name", "api"}}},
                    {"standIn", {{"steps", std::move(steps)}}}};
        Json request = {{"frame", {{"v", 1}, {"type", "job.offer"}, {"job", job}}}};
        if (newestSessionOnly)
            request["session"] = sessions().back()["session"];
        peer->control("POST", "/control/connect/send", request);
    }

    /// Offers a job to the newest session whose runner ignores SIGTERM and starts two children, waits
    /// until it runs, and returns the process ids of the runner and its children.
    std::vector<pid_t> startStubbornJob(testing::ChildProcess& process, const std::string& jobId) {
        offerJob(jobId, Json::array({{{"ignoreTerm", true}}, {{"children", 2}}, {{"wait", true}}}), true);
        EXPECT_TRUE(AgentProcess::waitForLine(process, "runner info: started job " + jobId));
        auto event = waitForJobFrame("job.event", jobId);
        std::vector<pid_t> pids;
        if (event.is_null())
            return pids;
        pids.push_back(event["event"]["runner"].get<pid_t>());
        for (const auto& pid : event["event"]["pids"])
            pids.push_back(pid.get<pid_t>());
        return pids;
    }

    testing::AsyncTestLoop loop;
    std::unique_ptr<testing::EndToEndPeer> peer;
    std::unique_ptr<AgentProcess> agent;
};

TEST_F(AgentEndToEndTest, RestoresConnectsFollowsProfilesSleepsWakesAndRestoresAgain) {
    auto acme = enrollInto("AAAA1111", {{"id", "org-a"}, {"name", "Acme"}, {"photoVersion", "p1"}});
    auto bolt = enrollInto("BBBB2222", {{"id", "org-b"}, {"name", "Bolt"}});
    peer->control("POST", "/control/organization-photo",
                  {{"organizationId", "org-a"}, {"data", pixel}, {"etag", "\"p1\""}});
    // A name saved before the organization was renamed: the welcome's profile brings the new one.
    auto list = EnrollmentListStore(listFile()).load();
    for (auto& saved : list) {
        if (saved.deviceId == acme.deviceId)
            saved.organization.name = "Acme (old)";
    }
    EnrollmentListStore(listFile()).save(list);
    auto savedName = [&] {
        for (const auto& saved : EnrollmentListStore(listFile()).load()) {
            if (saved.deviceId == acme.deviceId)
                return saved.organization.name;
        }
        return std::string();
    };

    auto process = agent->start({});
    ASSERT_TRUE(AgentProcess::waitForLine(*process, "app info: connection " + bolt.deviceId + ": connected(" +
                                                        bolt.deviceId + ")"));
    ASSERT_TRUE(waitForOpenSessions(2));
    for (const auto& session : sessions()) {
        ASSERT_FALSE(session["frames"].empty()) << session.dump();
        const auto& hello = session["frames"][0];
        EXPECT_EQ(hello["type"], "hello");
        EXPECT_EQ(hello["appVersion"], "0.1.0");
        EXPECT_EQ(hello["capacity"], 0) << "lending is off until the user chooses it";
        EXPECT_TRUE(session["helloProblems"].empty()) << session["helloProblems"].dump();
    }

    // The profile renamed the record, the picture arrived, the scopes were read, and the velto command
    // has a login for each organization.
    const auto photo = agent->home() / "data" / "Velto" / "photos" / acme.deviceId;
    const CommandLineLogins logins(agent->home() / ".velto" / "device-logins.json");
    auto loginIds = [&] {
        std::set<std::string> ids;
        for (const auto& login : logins.logins())
            ids.insert(login.deviceId);
        return ids;
    };
    bool settled = false;
    for (int i = 0; i < 200 && !settled; ++i) {
        auto requests = peer->stats()["requests"];
        bool scopesRead = false;
        for (const auto& request : requests)
            scopesRead = scopesRead || request["path"] == "/api/devices/" + acme.deviceId + "/scopes";
        settled = scopesRead && std::filesystem::exists(photo) && savedName() == "Acme" &&
                  loginIds() == std::set<std::string>{acme.deviceId, bolt.deviceId};
        if (!settled)
            std::this_thread::sleep_for(50ms);
    }
    EXPECT_TRUE(settled) << "profile, picture, scopes and logins";

    // A job that runs until it is stopped: sleeping cancels it.
    const auto waiting = Json::array({{{"wait", true}}});
    offerJob("job-1", waiting);
    ASSERT_TRUE(AgentProcess::waitForLine(*process, "runner info: started job job-1"));

    agent->sendSystem("sleep");
    EXPECT_TRUE(agent->waitForSystemLine("released"));
    EXPECT_TRUE(AgentProcess::waitForLine(*process, "runner info: job job-1 ended"))
        << "sleep ends the running job";
    EXPECT_TRUE(waitForOpenSessions(0)) << "sleep closes every socket";
    agent->sendSystem("wake");
    EXPECT_TRUE(waitForOpenSessions(2)) << "waking reconnects";

    // Quitting ends a running job first, and the whole quit stays within its 5 s.
    offerJob("job-2", waiting);
    ASSERT_TRUE(AgentProcess::waitForLine(*process, "runner info: started job job-2"));
    const auto asked = std::chrono::steady_clock::now();
    kill(process->pid(), SIGTERM);
    EXPECT_TRUE(AgentProcess::waitForLine(*process, "runner info: cancelling job job-2"));
    EXPECT_EQ(process->wait(), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - asked, 5s);
    EXPECT_TRUE(waitForOpenSessions(0));

    auto relaunched = agent->start({});
    EXPECT_TRUE(AgentProcess::waitForLine(*relaunched, "app info: restored enrollment in Bolt"));
    EXPECT_TRUE(waitForOpenSessions(2)) << "a relaunch restores both organizations";
    kill(relaunched->pid(), SIGTERM);
    EXPECT_EQ(relaunched->wait(), 0);
}

TEST_F(AgentEndToEndTest, WithoutADisplayRunsWindowlessConnectsRunsJobsAndTakesLinks) {
    auto acme = enrollInto("CCCC3333", {{"id", "org-c"}, {"name", "Acme"}});
    // No DISPLAY, no WAYLAND_DISPLAY and no platform asked for: Qt alone would abort here.
    agent->removeVariable("QT_QPA_PLATFORM");
    auto process = agent->start({});
    ASSERT_TRUE(
        AgentProcess::waitForLine(*process, "app info: no display: no windows or tray will be shown"));
    ASSERT_TRUE(AgentProcess::waitForLine(*process, "app info: connection " + acme.deviceId + ": connected(" +
                                                        acme.deviceId + ")"));
    ASSERT_TRUE(waitForOpenSessions(1));

    offerJob("job-windowless", Json::array({{{"wait", true}}}));
    EXPECT_TRUE(AgentProcess::waitForLine(*process, "runner info: started job job-windowless"));

    auto second = agent->start({"--", "velto://enroll?server=https://velto.example&code=AAAA-1111"});
    EXPECT_EQ(second->wait(), 0) << "a later start hands its link over and exits";
    EXPECT_TRUE(AgentProcess::waitForLine(*process,
                                          "app info: the enrollment prompt opens in the enrollment window"));

    kill(process->pid(), SIGTERM);
    EXPECT_EQ(process->wait(), 0);
}

TEST_F(AgentEndToEndTest, QuittingGivesAStubbornJobItsGraceThenKillsItAndClosesEverySocketWithGoingAway) {
    std::vector<Enrollment> enrollments;
    for (int index = 0; index < 10; ++index) {
        enrollments.push_back(enrollInto(
            "CCCC000" + std::to_string(index),
            {{"id", "org-" + std::to_string(index)}, {"name", "Organization " + std::to_string(index)}}));
    }
    auto process = agent->start({});
    ASSERT_TRUE(waitForOpenSessions(10));

    auto pids = startStubbornJob(*process, "job-q");
    ASSERT_EQ(pids.size(), 3u);
    ASSERT_TRUE(hasJobFiles());

    const auto asked = std::chrono::steady_clock::now();
    kill(process->pid(), SIGTERM);
    EXPECT_EQ(process->wait(), 0);
    const auto took = std::chrono::steady_clock::now() - asked;
    EXPECT_GE(took, 2s) << "the job got no grace";
    EXPECT_LT(took, 4s);

    for (pid_t pid : pids)
        EXPECT_TRUE(testing::becomesGone(pid)) << "a process of the job's group outlived the agent";
    EXPECT_FALSE(hasJobFiles()) << "the job's document outlived the agent";
    auto finish = jobFrame("job.finish", "job-q");
    ASSERT_FALSE(finish.is_null()) << "no finish reached the server";
    EXPECT_EQ(finish["result"]["status"], "failed");
    int goingAway = 0;
    for (const auto& session : sessions()) {
        EXPECT_FALSE(session["open"].get<bool>());
        if (session["closed"].is_object() && session["closed"]["code"] == 1001)
            ++goingAway;
    }
    EXPECT_EQ(goingAway, 10) << sessions().dump();
}

TEST_F(AgentEndToEndTest, AStartAfterACrashRemovesTheDocumentOfTheJobThatWasRunning) {
    enrollInto("DDDD4444", {{"id", "org-d"}, {"name", "Dent"}});
    auto process = agent->start({});
    ASSERT_TRUE(waitForOpenSessions(1));
    auto pids = startStubbornJob(*process, "job-k");
    ASSERT_EQ(pids.size(), 3u);
    kill(process->pid(), SIGKILL);
    process->wait();
    // The group outlives a crash; only the document is the next start's to remove.
    for (pid_t pid : pids)
        kill(pid, SIGKILL);
    ASSERT_TRUE(hasJobFiles());

    auto relaunched = agent->start({});
    EXPECT_TRUE(
        AgentProcess::waitForLine(*relaunched, "runner info: removed 1 job file(s) left by an earlier run"));
    EXPECT_FALSE(hasJobFiles());
    kill(relaunched->pid(), SIGTERM);
    EXPECT_EQ(relaunched->wait(), 0);
}

} // namespace
} // namespace velto
