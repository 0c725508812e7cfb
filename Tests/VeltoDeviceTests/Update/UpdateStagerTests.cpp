#include "VeltoDevice/Support/Exceptions.hpp"
#include "VeltoDevice/Support/SystemClock.hpp"
#include "VeltoDevice/Update/BundleManifestVerification.hpp"
#include "VeltoDevice/Update/UpdateStager.hpp"

#include <boost/asio/cancellation_signal.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/thread_pool.hpp>
#include <gtest/gtest.h>

#include <future>
#include <sys/stat.h>
#include <thread>

#include "AsyncTestLoop.hpp"
#include "ScopedEnvironmentVariable.hpp"
#include "UnprivilegedRun.hpp"
#include "UpdateArchive.hpp"
#include "UpdateFakes.hpp"

namespace velto {
namespace {

namespace fs = std::filesystem;
using Case = UpdateRefusal::Case;

/// What a staging gave: the staged update, or its refusal, or another error.
struct Outcome {
    std::optional<StagedUpdate> staged;
    std::optional<Case> refusal;
    std::exception_ptr other;
};

class UpdateStagerTest : public ::testing::Test {
public:
    UpdateStagerTest() {
        downloader->source = work.path() / "served.zip";
        digest = testing::UpdateArchive{}.write(downloader->source, key);
    }

    std::shared_ptr<UpdateStager> stager(std::optional<Ed25519PublicKey> signer = std::nullopt) {
        auto check = std::make_shared<BundleManifestVerification>(signer ? signer : key.publicKey(), pool,
                                                                  SystemClock::shared());
        return std::make_shared<UpdateStager>(root(), "app.velto.desktop", downloader, check, pool,
                                              SystemClock::shared());
    }

    VerifiedUpdate offer(const char* version = "1.3.0") const {
        return VerifiedUpdate{*AppVersion::parse(version),
                              boost::urls::url("https://downloads.velto.example/Velto.zip"), digest};
    }

    static boost::asio::awaitable<Outcome> outcomeOf(std::shared_ptr<UpdateStager> stager,
                                                     VerifiedUpdate update) {
        Outcome outcome;
        try {
            outcome.staged = co_await stager->stage(std::move(update));
        } catch (const UpdateRefusal& refusal) {
            outcome.refusal = refusal.kind();
        } catch (...) {
            outcome.other = std::current_exception();
        }
        co_return outcome;
    }

    Outcome stage(VerifiedUpdate update) { return loop.run(outcomeOf(stager(), std::move(update))); }

    /// Serves another archive in place of the good one.
    void serve(testing::UpdateArchive archive,
               const std::optional<Ed25519PrivateKey>& signer = std::nullopt) {
        fs::remove(downloader->source);
        digest = archive.write(downloader->source, signer ? *signer : key);
    }

    /// Waits until the folder work posted so far has run.
    static void settle(UpdateStager& staging) {
        std::promise<void> done;
        boost::asio::post(staging.folders(), [&done] { done.set_value(); });
        done.get_future().wait();
    }

    fs::path root() const { return work.path() / "Caches" / "app.velto.desktop" / "Updates"; }
    std::size_t attemptFolders() const {
        if (!fs::exists(root()))
            return 0;
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(root()), fs::directory_iterator()));
    }

    testing::TemporaryFolder work;
    testing::AsyncTestLoop loop;
    boost::asio::thread_pool pool{2};
    Ed25519PrivateKey key = Ed25519PrivateKey::generate();
    std::shared_ptr<testing::ScriptedDownloader> downloader = std::make_shared<testing::ScriptedDownloader>();
    std::string digest;
};

TEST_F(UpdateStagerTest, StagesACheckedAppInAPrivateFolderOfItsOwn) {
    auto outcome = stage(offer());
    ASSERT_TRUE(outcome.staged.has_value());
    const auto& staged = *outcome.staged;
    EXPECT_EQ(staged.version.text(), "1.3.0");
    EXPECT_EQ(staged.directory.parent_path(), root());
    auto name = staged.directory.filename().string();
    EXPECT_EQ(name.size(), 36u);
    EXPECT_EQ(name.find_first_of("abcdef"), std::string::npos) << name;
    EXPECT_EQ(staged.appPath, staged.directory / "expanded" / "Velto.app");
    EXPECT_TRUE(fs::exists(staged.directory / "update.zip"));
    EXPECT_EQ(downloader->destinations, (std::vector<fs::path>{staged.directory / "update.zip"}));
    struct stat status {};
    ASSERT_EQ(::stat(staged.directory.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u);

    auto again = stage(offer());
    ASSERT_TRUE(again.staged.has_value());
    EXPECT_NE(again.staged->directory, staged.directory);
    auto staging = stager();
    staging->discard(staged);
    settle(*staging);
    EXPECT_FALSE(fs::exists(staged.directory));
    EXPECT_EQ(attemptFolders(), 1u);
}

TEST_F(UpdateStagerTest, FoldersAreRemovedInThePoolInOrderWithoutHoldingTheCaller) {
    auto staged = stage(offer()).staged;
    ASSERT_TRUE(staged.has_value());
    auto staging = stager();
    // The pool is held, as by a slow disk: the discard returns all the same, and the removal follows.
    std::promise<void> release;
    auto held = release.get_future().share();
    std::thread::id removerThread;
    boost::asio::post(staging->folders(), [held, &removerThread] {
        removerThread = std::this_thread::get_id();
        held.wait();
    });
    staging->discard(*staged);
    EXPECT_TRUE(fs::exists(staged->directory)) << "nothing was removed on the caller's thread";
    // Leftovers posted ahead of an attempt are gone before its folder is made.
    boost::asio::post(staging->folders(), [staging] { staging->removeLeftovers(); });
    auto next = loop.spawn(outcomeOf(staging, offer()));
    loop.drain();
    EXPECT_FALSE(next->done);
    release.set_value();
    loop.runUntil([&] { return next->done; });
    ASSERT_TRUE(next->value->staged.has_value());
    EXPECT_TRUE(fs::exists(next->value->staged->directory));
    EXPECT_FALSE(fs::exists(staged->directory));
    EXPECT_EQ(attemptFolders(), 1u);
    EXPECT_NE(removerThread, std::this_thread::get_id());
}

TEST_F(UpdateStagerTest, RefusesAndLeavesNoFolder) {
    struct Row {
        const char* name;
        std::function<void(UpdateStagerTest&, VerifiedUpdate&)> arrange;
        Case refusal;
    };
    const Row rows[] = {
        {"a failed download", [](UpdateStagerTest& test, VerifiedUpdate&) { test.downloader->fails = true; },
         Case::downloadFailed},
        {"another digest",
         [](UpdateStagerTest&, VerifiedUpdate& update) { update.sha256 = std::string(64, '0'); },
         Case::digestMismatch},
        {"not a zip",
         [](UpdateStagerTest& test, VerifiedUpdate& update) {
             testing::TestBundle::writeFile(test.downloader->source, "not a zip");
             update.sha256 = UpdateDigest::sha256Hex(test.downloader->source);
         },
         Case::unzipFailed},
        {"two apps",
         [](UpdateStagerTest& test, VerifiedUpdate& update) {
             {
                 testing::ZipWriter zip(test.downloader->source);
                 zip.folder("Velto.app");
                 zip.folder("Other.app");
             }
             update.sha256 = UpdateDigest::sha256Hex(test.downloader->source);
         },
         Case::notOneApp},
        {"another identifier",
         [](UpdateStagerTest& test, VerifiedUpdate& update) {
             test.serve({.bundle = {.identifier = "app.velto.other"}});
             update.sha256 = test.digest;
         },
         Case::wrongBundleIdentifier},
        {"a version written otherwise",
         [](UpdateStagerTest& test, VerifiedUpdate& update) {
             test.serve({.bundle = {.version = "1.3"}});
             update.sha256 = test.digest;
         },
         Case::wrongVersion},
        {"signed by another key",
         [](UpdateStagerTest& test, VerifiedUpdate& update) {
             test.serve({}, Ed25519PrivateKey::generate());
             update.sha256 = test.digest;
         },
         Case::invalidCodeSignature},
    };
    for (const auto& row : rows) {
        fs::remove(downloader->source);
        digest = testing::UpdateArchive{}.write(downloader->source, key);
        downloader->fails = false;
        auto update = offer();
        row.arrange(*this, update);
        auto outcome = stage(update);
        EXPECT_EQ(outcome.refusal, row.refusal) << row.name;
        EXPECT_EQ(attemptFolders(), 0u) << row.name;
    }
}

TEST_F(UpdateStagerTest, StopsOnCancellationAndLeavesNoFolder) {
    downloader->hold = true;
    boost::asio::cancellation_signal signal;
    auto run = loop.spawn(outcomeOf(stager(), offer()), signal.slot());
    loop.runUntil([&] { return downloader->gate.hasWaiter(); });
    EXPECT_EQ(attemptFolders(), 1u);
    signal.emit(boost::asio::cancellation_type::terminal);
    loop.runUntil([&] { return run->done; });
    ASSERT_TRUE(run->value->other);
    EXPECT_TRUE(isCancellation(run->value->other));
    EXPECT_EQ(attemptFolders(), 0u);
}

TEST_F(UpdateStagerTest, RemovesLeftoversQuietly) {
    auto staging = stager();
    staging->removeLeftovers();
    ASSERT_TRUE(stage(offer()).staged.has_value());
    EXPECT_TRUE(fs::exists(root()));
    staging->removeLeftovers();
    EXPECT_FALSE(fs::exists(root()));
    EXPECT_TRUE(fs::exists(root().parent_path()));
}

// Only root may empty a folder without write permission, so this runs as another user.
TEST_F(UpdateStagerTest, LeavesNothingOfAnArchiveWhoseFolderIsReadOnly) {
    if (!testing::runsUnprivileged())
        return;
    {
        testing::TemporaryFolder release;
        auto app = testing::TestBundle{}.make(release.path() / "Velto.app");
        BundleManifestWriter::write(app, key);
        fs::permissions(app / "Contents/Resources", fs::perms(0555));
        fs::remove(downloader->source);
        {
            testing::ZipWriter zip(downloader->source);
            zip.folder("Velto.app");
            zip.tree(app, "Velto.app");
        }
        fs::permissions(app / "Contents/Resources", fs::perms(0755));
        digest = UpdateDigest::sha256Hex(downloader->source);
    }
    // Refused after unpacking: the attempt folder goes with the unpacked tree.
    EXPECT_EQ(stage(offer("1.3.1")).refusal, Case::wrongVersion);
    EXPECT_EQ(attemptFolders(), 0u);

    auto staged = stage(offer());
    ASSERT_TRUE(staged.staged.has_value());
    auto resources = staged.staged->appPath / "Contents/Resources";
    EXPECT_EQ(fs::status(resources).permissions(), fs::perms(0555));
    auto staging = stager();
    staging->discard(*staged.staged);
    settle(*staging);
    EXPECT_EQ(attemptFolders(), 0u);

    ASSERT_TRUE(stage(offer()).staged.has_value());
    staging->removeLeftovers();
    EXPECT_FALSE(fs::exists(root()));
}

TEST(UpdateStagerRoot, LivesUnderTheCachesFolder) {
    {
        testing::ScopedEnvironmentVariable caches("XDG_CACHE_HOME", "/var/cache/user");
        EXPECT_EQ(UpdateStager::defaultRoot("app.velto.desktop"),
                  fs::path("/var/cache/user/app.velto.desktop/Updates"));
    }
    testing::ScopedEnvironmentVariable caches("XDG_CACHE_HOME", "relative/cache");
    testing::ScopedEnvironmentVariable home("HOME", "/home/ada");
    EXPECT_EQ(UpdateStager::defaultRoot("app.velto.desktop"),
              fs::path("/home/ada/.cache/app.velto.desktop/Updates"));
}

} // namespace
} // namespace velto
