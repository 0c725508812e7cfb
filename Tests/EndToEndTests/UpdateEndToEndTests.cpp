#include "VeltoDevice/Connection/BeastWebSocketDialer.hpp"
#include "VeltoDevice/Connection/DeviceConnection.hpp"
#include "VeltoDevice/Support/Base64.hpp"
#include "VeltoDevice/Support/DetachedProcessLauncher.hpp"
#include "VeltoDevice/Support/Exceptions.hpp"
#include "VeltoDevice/Support/SystemClock.hpp"
#include "VeltoDevice/Update/BeastUpdateDownloader.hpp"
#include "VeltoDevice/Update/BundleManifestVerification.hpp"
#include "VeltoDevice/Update/BundleSwapInstaller.hpp"
#include "VeltoDevice/Update/UpdateCoordinator.hpp"
#include "VeltoDevice/Update/UpdateRefusal.hpp"
#include "VeltoDevice/Update/UpdateStager.hpp"

#include <boost/asio/bind_cancellation_slot.hpp>
#include <boost/asio/cancellation_signal.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/thread_pool.hpp>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "EnrolledDeviceTest.hpp"
#include "ManualClock.hpp"
#include "ScriptFixtures.hpp"
#include "UpdateArchive.hpp"

namespace velto {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

/// The downloader against the peer's update routes over TLS trusting the test authority; the idle
/// time-out on a manual clock.
class UpdateDownloadEndToEnd : public ::testing::Test {
protected:
    UpdateDownloadEndToEnd() {
        testing::TestBundle::writeFile(served(), std::string(3 * 1024 * 1024 + 17, 'v'));
        peer.control("POST", "/control/updates/file",
                     {{"name", "Velto 1.3.zip"}, {"path", served().string()}});
    }

    fs::path served() const { return work.path() / "served.zip"; }
    fs::path destination() const { return work.path() / "attempt" / "update.zip"; }

    std::string url(const std::string& route) const { return peer.baseURL() + "api/updates/" + route; }

    /// Nothing when the download succeeded, else whether it was downloadFailed ("failed") or what.
    std::string download(const std::string& route, BeastUpdateDownloader::Options options = {}) {
        fs::remove_all(destination().parent_path());
        fs::create_directories(destination().parent_path());
        options.extraTrustAnchor = peer.caFile();
        // A loaded machine must not turn a slow transfer into an idle time-out; that time-out has a
        // test of its own.
        if (!options.clock)
            options.clock = idleClock;
        auto downloader = std::make_shared<BeastUpdateDownloader>(options);
        try {
            loop.run(downloader->download(boost::urls::url(url(route)), destination()), 60s);
            return "";
        } catch (const UpdateRefusal& refusal) {
            return refusal.kind() == UpdateRefusal::Case::downloadFailed ? "failed" : refusal.description();
        }
    }

    /// The attempt's folder holds nothing but a complete download.
    std::vector<std::string> leftInTheFolder() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(destination().parent_path()))
            names.push_back(entry.path().filename().string());
        return names;
    }

    testing::EndToEndPeer peer;
    testing::AsyncTestLoop loop;
    testing::TemporaryFolder work;
    std::shared_ptr<testing::ManualClock> idleClock = std::make_shared<testing::ManualClock>();
};

TEST_F(UpdateDownloadEndToEnd, FollowsHttpsRedirectsAndSendsNoCredentials) {
    EXPECT_EQ(download("hop/302/3/Velto%201.3.zip"), "");
    EXPECT_EQ(UpdateDigest::sha256Hex(destination()), UpdateDigest::sha256Hex(served()));
    EXPECT_EQ(leftInTheFolder(), (std::vector<std::string>{"update.zip"}));
    for (const char* status : {"301", "303", "307", "308"})
        EXPECT_EQ(download(std::string("hop/") + status + "/1/Velto%201.3.zip"), "") << status;
    Json requests = peer.control("GET", "/control/updates/stats")["requests"];
    // Four for three redirects, then two for each single one.
    EXPECT_EQ(requests.size(), 12u);
    for (const auto& request : requests) {
        EXPECT_EQ(request["cookie"], nullptr);
        EXPECT_EQ(request["authorization"], nullptr);
    }
}

TEST_F(UpdateDownloadEndToEnd, TheBodyIsWrittenOnTheWriterNotOnTheDownloadsThread) {
    boost::asio::thread_pool pool(1);
    // The writer is held, as by a slow disk: the download cannot end before it lets go.
    std::promise<void> gate;
    auto held = gate.get_future().share();
    std::thread::id writerThread;
    boost::asio::post(pool, [held, &writerThread] {
        writerThread = std::this_thread::get_id();
        held.wait();
    });
    std::atomic<bool> released = false;
    std::thread releaser([&] {
        std::this_thread::sleep_for(100ms);
        released = true;
        gate.set_value();
    });
    EXPECT_EQ(download("file/Velto%201.3.zip", {.writer = pool.get_executor()}), "");
    EXPECT_TRUE(released) << "every chunk waited for the writer";
    releaser.join();
    EXPECT_NE(writerThread, std::this_thread::get_id());
    EXPECT_EQ(UpdateDigest::sha256Hex(destination()), UpdateDigest::sha256Hex(served()));
}

TEST_F(UpdateDownloadEndToEnd, FailsAndRemovesThePartialFile) {
    struct Case {
        const char* route;
        BeastUpdateDownloader::Options options;
    };
    const Case cases[] = {
        {"to-http/Velto%201.3.zip", {}},
        {"file/missing.zip", {}},
        {"hop/302/11/Velto%201.3.zip", {}},
        {"hop/302/2/Velto%201.3.zip", {.maximumRedirects = 1}},
        {"file/Velto%201.3.zip", {.sizeLimit = 1024 * 1024}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(download(c.route, c.options), "failed") << c.route;
        EXPECT_TRUE(leftInTheFolder().empty()) << c.route;
    }
    EXPECT_EQ(download("hop/302/10/Velto%201.3.zip"), "");
}

TEST_F(UpdateDownloadEndToEnd, GivesUpOnABodyThatStalls) {
    auto clock = std::make_shared<testing::ManualClock>();
    fs::create_directories(destination().parent_path());
    auto downloader = std::make_shared<BeastUpdateDownloader>(
        BeastUpdateDownloader::Options{.extraTrustAnchor = peer.caFile(), .clock = clock});
    // Small, so that the half it sends has arrived well before the clock moves.
    testing::TestBundle::writeFile(work.path() / "small.zip", std::string(16 * 1024, 's'));
    peer.control("POST", "/control/updates/file",
                 {{"name", "small.zip"}, {"path", (work.path() / "small.zip").string()}});
    auto outcome = loop.spawn(downloader->download(boost::urls::url(url("stall/small.zip")), destination()));
    auto runFor = [&](std::chrono::milliseconds duration) {
        loop.context().restart();
        loop.context().run_for(duration);
    };
    auto deadline = std::chrono::steady_clock::now() + 20s;
    while (peer.control("GET", "/control/updates/stats")["stalled"] == 0 &&
           std::chrono::steady_clock::now() < deadline)
        runFor(20ms);
    runFor(200ms);
    clock->advance(59s);
    runFor(50ms);
    EXPECT_FALSE(outcome->done);
    clock->advance(1s);
    while (!outcome->done && std::chrono::steady_clock::now() < deadline)
        runFor(20ms);
    ASSERT_TRUE(outcome->done);
    try {
        outcome->get();
        ADD_FAILURE() << "the stalled download succeeded";
    } catch (const UpdateRefusal& refusal) {
        EXPECT_EQ(refusal.kind(), UpdateRefusal::Case::downloadFailed);
    }
    EXPECT_TRUE(leftInTheFolder().empty());
}

TEST_F(UpdateDownloadEndToEnd, StaysCancellationWhenStoppedAndRemovesThePartialFile) {
    fs::create_directories(destination().parent_path());
    auto downloader = std::make_shared<BeastUpdateDownloader>(
        BeastUpdateDownloader::Options{.extraTrustAnchor = peer.caFile()});
    boost::asio::cancellation_signal signal;
    std::exception_ptr error;
    bool done = false;
    boost::asio::co_spawn(loop.context(),
                          downloader->download(boost::urls::url(url("stall/Velto%201.3.zip")), destination()),
                          boost::asio::bind_cancellation_slot(signal.slot(), [&](std::exception_ptr e) {
                              error = e;
                              done = true;
                          }));
    auto deadline = std::chrono::steady_clock::now() + 20s;
    while (peer.control("GET", "/control/updates/stats")["stalled"] == 0 &&
           std::chrono::steady_clock::now() < deadline) {
        loop.context().restart();
        loop.context().run_for(20ms);
    }
    signal.emit(boost::asio::cancellation_type::terminal);
    while (!done && std::chrono::steady_clock::now() < deadline) {
        loop.context().restart();
        loop.context().run_for(20ms);
    }
    ASSERT_TRUE(done);
    EXPECT_TRUE(isCancellation(error));
    EXPECT_TRUE(leftInTheFolder().empty());
}

class AlwaysIdle final : public JobActivity {
public:
    boost::asio::awaitable<bool> isIdle() override { co_return true; }
    boost::asio::awaitable<void> holdNewJobs(bool hold) override {
        holds.push_back(hold);
        co_return;
    }
    std::vector<bool> holds;
};

/// An enrolled device whose session hands the peer's update offers to a real coordinator, which
/// downloads from the peer, stages, swaps a bundle in a temporary folder and relaunches it.
class UpdateOfferEndToEnd : public testing::EnrolledDeviceTest {
protected:
    void SetUp() override {
        offerCodes(Json::parse(R"([{"code":"7KQ2MX9D","organization":{"id":"org-acme","name":"Acme"},
            "user":{"login":"ada"}}])"));
        enrolled(identity, "7KQ2-MX9D");
        testing::TestBundle{.version = "1.2"}.make(installed());
        auto marker = work.path() / "relaunched";
        fs::create_directories(work.path() / "bin");
        testing::writeShellScript(work.path() / "bin" / "sleep", "exit 0\n");
        archiveDigest = testing::UpdateArchive{.bundle = {.version = "1.3",
                                                          .script = "#!/bin/sh\necho \"$0\" > \"" +
                                                                    marker.string() + "\"\n"}}
                            .write(work.path() / "Velto-1.3.zip", key);
        peer.control("POST", "/control/updates/file",
                     {{"name", "Velto-1.3.zip"}, {"path", (work.path() / "Velto-1.3.zip").string()}});

        auto downloader = std::make_shared<BeastUpdateDownloader>(
            BeastUpdateDownloader::Options{.extraTrustAnchor = peer.caFile()});
        auto check =
            std::make_shared<BundleManifestVerification>(key.publicKey(), pool, SystemClock::shared());
        stager = std::make_shared<UpdateStager>(work.path() / "Caches" / "Updates", "app.velto.desktop",
                                                downloader, check, pool, SystemClock::shared());
        auto launcher = std::make_shared<DetachedProcessLauncher>(
            loop.executor(), Environment{{"PATH", (work.path() / "bin").string() + ":/usr/bin:/bin"}});
        coordinator = std::make_shared<UpdateCoordinator>(
            loop.executor(), UpdateVerifier("1.2", Base64::encode(key.publicKey().raw())), std::nullopt,
            stager, std::make_shared<BundleSwapInstaller>(installed(), launcher), activity);
        dialer = std::make_shared<BeastWebSocketDialer>(
            loop.executor(), BeastWebSocketDialer::Options{.extraTrustAnchor = peer.caFile()});
        connection = std::make_unique<DeviceConnection>(
            loop.executor(), identity, dialer, Backoff::standard(), std::make_shared<testing::ManualClock>(),
            SessionHandlers{nullptr, coordinator}, [this]() -> boost::asio::awaitable<DeviceMessage::Hello> {
                co_return DeviceMessage::Hello{"1.2", {}, 0, 1};
            });
        loop.run(connection->start());
        for (int i = 0; i < 2; ++i)
            loop.run(connection->states().next(), 20s);
    }

    void TearDown() override {
        connection.reset();
        coordinator.reset();
        loop.drain();
    }

    fs::path installed() const { return work.path() / "Applications" / "Velto.app"; }

    Json offerFrame(const std::string& version, const std::string& url) const {
        auto signature = key.sign(UpdateVerifier::signedMessage(version, archiveDigest, url));
        return {{"v", 1},     {"type", "update"},        {"version", version},
                {"url", url}, {"sha256", archiveDigest}, {"signature", Base64::encode(signature)}};
    }

    testing::TemporaryFolder work;
    boost::asio::thread_pool pool{2};
    Ed25519PrivateKey key = Ed25519PrivateKey::generate();
    std::string archiveDigest;
    DeviceIdentity identity = newIdentity();
    std::shared_ptr<AlwaysIdle> activity = std::make_shared<AlwaysIdle>();
    std::shared_ptr<UpdateStager> stager;
    std::shared_ptr<UpdateCoordinator> coordinator;
    std::shared_ptr<BeastWebSocketDialer> dialer;
    std::unique_ptr<DeviceConnection> connection;
};

TEST_F(UpdateOfferEndToEnd, AGoodOfferStagesInstallsAndRelaunches) {
    peer.control("POST", "/control/connect/send",
                 {{"frame", offerFrame("1.3", peer.baseURL() + "api/updates/hop/307/2/Velto-1.3.zip")}});
    auto progress = loop.run(coordinator->progress().next(), 30s);
    ASSERT_TRUE(progress.has_value());
    EXPECT_EQ(*progress, UpdateProgress::installed("1.3"));
    EXPECT_EQ(activity->holds, (std::vector<bool>{true}));
    EXPECT_NE(testing::readText(installed() / "Contents/Info.plist")->find("<string>1.3</string>"),
              std::string::npos);
    // The staging folder is gone once the removal posted for it has run; only the root is left.
    std::promise<void> removed;
    boost::asio::post(stager->folders(), [&removed] { removed.set_value(); });
    removed.get_future().wait();
    EXPECT_TRUE(fs::is_empty(stager->root()));

    auto marker = work.path() / "relaunched";
    auto deadline = std::chrono::steady_clock::now() + 20s;
    while (!fs::exists(marker) && std::chrono::steady_clock::now() < deadline) {
        loop.context().restart();
        loop.context().run_for(20ms);
    }
    EXPECT_EQ(testing::readText(marker), (installed() / "Contents/bin/velto").string() + "\n");
}

TEST_F(UpdateOfferEndToEnd, ABadArchiveIsRefusedAndLeavesTheInstalledApp) {
    // Signed, but not over the archive the peer serves.
    archiveDigest = std::string(64, 'e');
    peer.control("POST", "/control/connect/send",
                 {{"frame", offerFrame("1.3", peer.baseURL() + "api/updates/file/Velto-1.3.zip")}});
    auto deadline = std::chrono::steady_clock::now() + 20s;
    while (coordinator->downloadsStarted() == 0 && std::chrono::steady_clock::now() < deadline) {
        loop.context().restart();
        loop.context().run_for(20ms);
    }
    loop.run(coordinator->downloadSettled(), 30s);
    EXPECT_EQ(coordinator->refusedVersions().count(*AppVersion::parse("1.3")), 1u);
    EXPECT_TRUE(fs::is_empty(stager->root()));
    EXPECT_NE(testing::readText(installed() / "Contents/Info.plist")->find("<string>1.2</string>"),
              std::string::npos);
    EXPECT_TRUE(activity->holds.empty());
}

} // namespace
} // namespace velto
