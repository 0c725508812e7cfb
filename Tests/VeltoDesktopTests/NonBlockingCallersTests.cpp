// The callers on the main thread and on the sessions' thread that must not wait for the disk, the
// keyring or a decoder: each hands its work to a pool that is held, as by a slow disk or a prompt, and
// goes on; the work is done once the pool lets go, on the pool's thread.
#include "VeltoDevice/Update/UpdateStager.hpp"

#include <boost/asio/post.hpp>
#include <boost/asio/strand.hpp>
#include <boost/asio/thread_pool.hpp>

#include <QByteArray>
#include <QImage>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <mutex>
#include <optional>
#include <thread>

#include "FixedSigningKey.hpp"
#include "HeldPool.hpp"
#include "ModelFixture.hpp"
#include "TemporaryFolder.hpp"

namespace velto {
namespace {

using namespace std::chrono_literals;
using testing::HeldPool;
using testing::RoutedTransport;

/// A keyring whose items record the thread of their last call.
class ThreadRecordingKeyring final : public DeviceKeyring {
public:
    explicit ThreadRecordingKeyring(std::shared_ptr<DeviceKeyring> inner) : inner_(std::move(inner)) {}

    std::shared_ptr<DeviceKeyStorage> item(const std::string& deviceId) const override {
        return std::make_shared<Item>(inner_->item(deviceId), *this);
    }
    std::optional<std::thread::id> calledOn() const {
        std::lock_guard lock(mutex_);
        return calledOn_;
    }

private:
    class Item final : public DeviceKeyStorage {
    public:
        Item(std::shared_ptr<DeviceKeyStorage> inner, const ThreadRecordingKeyring& owner)
            : inner_(std::move(inner)), owner_(owner) {}
        std::optional<Bytes> read() const override {
            owner_.record();
            return inner_->read();
        }
        void write(const Bytes& data) override {
            owner_.record();
            inner_->write(data);
        }
        void remove() override {
            owner_.record();
            inner_->remove();
        }

    private:
        std::shared_ptr<DeviceKeyStorage> inner_;
        const ThreadRecordingKeyring& owner_;
    };

    void record() const {
        std::lock_guard lock(mutex_);
        calledOn_ = std::this_thread::get_id();
    }

    std::shared_ptr<DeviceKeyring> inner_;
    mutable std::mutex mutex_;
    mutable std::optional<std::thread::id> calledOn_;
};

class NonBlockingCallersTest : public testing::ModelFixture {
protected:
    /// Runs both loops until `done` holds; false after 20 s.
    bool drainUntil(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            loop.drain();
            std::this_thread::sleep_for(1ms);
        }
        return true;
    }
};

TEST_F(NonBlockingCallersTest, EachHandsItsBlockingWorkToThePoolAndGoesOn) {
    struct Row {
        const char* name;
        /// Before the model is made.
        std::function<void(HeldPool&)> arrange;
        /// On the main thread (or, for the library's, on the sessions' thread), with the pool held.
        std::function<void(HeldPool&)> act;
        std::function<bool()> done;
        /// The thread a blocking substitute was called on, where the row has one.
        std::function<std::optional<std::thread::id>()> calledOn;
    };
    const auto preferences = [this] {
        return services->folder.path() / "config" / "Velto" / "app.velto.desktop.json";
    };
    std::shared_ptr<ThreadRecordingKeyring> keyring;
    testing::TemporaryFolder updates;
    const auto staged = updates.path() / "A1";
    const Row rows[] = {
        {"a preference assignment (main thread)",
         [&, this](HeldPool& pool) {
             services->standard = std::make_shared<PreferencesDomain>(preferences(), pool.strand());
         },
         [this](HeldPool&) { model->preferences().setHasFinishedSetup(true); },
         [&, this]() { return std::filesystem::exists(preferences()); },
         {}},
        {"the saved organizations' keys read at launch (main thread)",
         [&, this](HeldPool& pool) {
             services->save({enrollment("dev-1", "org-a", "Acme")});
             keyring = std::make_shared<ThreadRecordingKeyring>(services->keys);
             services->keyringOverride = keyring;
             services->storageWork = pool.strand();
         },
         [this](HeldPool&) { loop.spawn(model->organizations().restore()); },
         [this]() { return model->organizations().rows().size() == 1; }, [&] { return keyring->calledOn(); }},
        {"the organization photo read and decoded (main thread)",
         [this](HeldPool& pool) {
             services->storageWork = pool.strand();
             services->blockingWork = pool.executor();
             const auto file = services->photoCache->directory() / "dev-1";
             std::filesystem::create_directories(file.parent_path());
             std::ofstream(file, std::ios::binary) << pngBytes();
         },
         [this](HeldPool&) { model->photos().loadCachedPhoto("dev-1"); },
         [this]() { return model->photos().organizationPhotos().count("dev-1") == 1; },
         {}},
        {"the velto command's login written (sessions' thread)",
         [this](HeldPool& pool) {
             services->storageWork = pool.strand();
             services->transport->route(
                 "POST", "/api/devices/session",
                 RoutedTransport::reply(
                     200, Json{{"token", "vlt_1"},
                               {"expiresAt", "2030-01-01T00:00:00Z"},
                               {"organization", {{"id", "org"}, {"name", "Org"}, {"slug", "org"}}}}
                              .dump()));
         },
         [this](HeldPool&) {
             model->organizations().addAndConnect(enrollment("dev-1", "org-a", "Acme"),
                                                  std::make_shared<testing::FixedSigningKey>());
         },
         [this]() { return !services->storedLogins().empty(); },
         {}},
        {"an update's staged bundle discarded (sessions' thread)",
         [&, this](HeldPool&) {
             std::filesystem::create_directories(staged / "expanded" / "Velto.app" / "Contents");
         },
         [&, this](HeldPool& pool) {
             UpdateStager stager(staged.parent_path(), "app.velto.desktop", nullptr, nullptr, pool.pool(),
                                 services->manualClock);
             stager.discard(
                 StagedUpdate{*AppVersion::parse("1.3.0"), staged / "expanded" / "Velto.app", staged});
         },
         [&, this]() { return !std::filesystem::exists(staged); },
         {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        services = std::make_shared<testing::TestServices>(loop);
        HeldPool pool;
        row.arrange(pool);
        build();
        row.act(pool);
        loop.drain();
        EXPECT_FALSE(row.done()) << "the work ran on the caller's thread";
        pool.release();
        EXPECT_TRUE(drainUntil([&] { return row.done(); }));
        if (row.calledOn) {
            const auto calledOn = row.calledOn();
            EXPECT_TRUE(calledOn.has_value());
            EXPECT_EQ(calledOn.value_or(std::this_thread::get_id()), pool.thread());
        }
        model.reset();
        loop.drain();
        // The pool's last work has posted its answers home: they run, and let go of the pool's strands,
        // while the pool is still there.
        pool.pool().join();
        loop.drain();
        // Before the pool goes: these services hold its executors.
        services = std::make_shared<testing::TestServices>(loop);
    }
}

} // namespace
} // namespace velto
