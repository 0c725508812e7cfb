#include "VeltoDevice/Enrollment/SavedEnrollments.hpp"
#include "VeltoDevice/Support/StrandConfined.hpp"

#include <boost/asio/post.hpp>
#include <boost/asio/strand.hpp>
#include <boost/asio/thread_pool.hpp>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>
#include <vector>

#include "AsyncTestLoop.hpp"
#include "EnrollmentFixtures.hpp"
#include "InMemoryKeyring.hpp"

namespace velto {
namespace {

using namespace std::chrono_literals;
using testing::sampleEnrollment;

/// A list in memory whose first load, once it has read the list, waits until the test lets it
/// return: the operation that made it is then paused between its load and its save.
class PausingListStorage final : public EnrollmentListStorage {
public:
    explicit PausingListStorage(std::vector<Enrollment> list) : list_(std::move(list)) {}

    std::vector<Enrollment> load() const override {
        std::unique_lock lock(mutex_);
        auto copy = list_;
        if (++loads_ == 1) {
            paused_ = true;
            changed_.notify_all();
            changed_.wait(lock, [this] { return released_; });
        }
        return copy;
    }
    void save(const std::vector<Enrollment>& enrollments) override {
        std::lock_guard lock(mutex_);
        list_ = enrollments;
    }
    void setAsideCorrupt() override {}

    /// Waits (bounded, against a broken test) until the first load is paused.
    bool awaitPause() const {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 20s, [this] { return paused_; });
    }
    void release() {
        std::lock_guard lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }
    int loads() const {
        std::lock_guard lock(mutex_);
        return loads_;
    }
    std::vector<Enrollment> list() const {
        std::lock_guard lock(mutex_);
        return list_;
    }

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<Enrollment> list_;
    mutable int loads_ = 0;
    mutable bool paused_ = false;
    bool released_ = false;
};

TEST(StrandConfinedSavedEnrollments, AnAddBesideARefreshKeepsBothChanges) {
    // Two threads, as the blocking pool has: without the strand the refresh would run on the second
    // while the add is paused, and the add's save would then drop the refreshed name.
    boost::asio::thread_pool pool(2);
    auto keyring = std::make_shared<testing::InMemoryKeyring>();
    auto storage =
        std::make_shared<PausingListStorage>(std::vector<Enrollment>{sampleEnrollment("d1", "org-1")});
    StrandConfined<SavedEnrollments> saved(boost::asio::make_strand(pool.get_executor()),
                                           SavedEnrollments(keyring, storage));
    testing::AsyncTestLoop loop;

    const Enrollment joined = sampleEnrollment("d2", "org-2");
    auto added =
        loop.spawn(saved.run([joined](SavedEnrollments& s) { return s.add(joined, toBytes("k2")); }));
    loop.drain();
    ASSERT_TRUE(storage->awaitPause());

    const DeviceProfile renamed{{"org-1", "Acme Inc", {}}, {"ada", "Ada Lovelace", {}}};
    auto refreshed =
        loop.spawn(saved.run([renamed](SavedEnrollments& s) { return s.refresh("d1", renamed); }));
    loop.drain();
    // Queued behind the refresh in the pool: it runs only once a second thread is free, after anything
    // posted to the pool before it.
    std::promise<int> loadsSeen;
    boost::asio::post(pool, [&] { loadsSeen.set_value(storage->loads()); });
    auto seen = loadsSeen.get_future();
    ASSERT_EQ(seen.wait_for(20s), std::future_status::ready);
    EXPECT_EQ(seen.get(), 1) << "the refresh loaded the list while the add was between its load and save";

    storage->release();
    auto deadline = std::chrono::steady_clock::now() + 20s;
    while (!(added->done && refreshed->done) && std::chrono::steady_clock::now() < deadline) {
        loop.context().restart();
        loop.context().run_one_for(10ms);
    }
    ASSERT_TRUE(added->done && refreshed->done);
    EXPECT_EQ(added->get(), std::nullopt);
    auto expected = sampleEnrollment("d1", "org-1").updated(renamed);
    EXPECT_EQ(refreshed->get(), expected);
    EXPECT_EQ(storage->list(), (std::vector<Enrollment>{joined, expected}));
    EXPECT_EQ(keyring->contents().count("d2"), 1u);
    pool.join();
}

} // namespace
} // namespace velto
