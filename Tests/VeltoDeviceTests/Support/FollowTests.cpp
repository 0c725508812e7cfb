#include "VeltoDevice/Support/Follow.hpp"

#include <boost/asio/bind_cancellation_slot.hpp>
#include <boost/asio/cancellation_signal.hpp>
#include <boost/asio/io_context.hpp>
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "AsyncTestLoop.hpp"
#include "PostingEventLoop.hpp"

namespace velto {
namespace {

using testing::PostingEventLoop;
using testing::Spawned;

/// A stream's owner on the library's context, followed from the application's event loop; both
/// are run by the test's thread in turn.
class FollowTest : public ::testing::Test {
protected:
    void pump() { app.runInTurnWith(device); }

    /// Follows the owner's stream from the application's loop, collecting every value.
    std::shared_ptr<Spawned<void>> followOnApp() {
        auto onValue = [this](std::string value) {
            seen.push_back(value);
            onApp.push_back(app.isRunningHere());
        };
        return app.spawn(follow(device.get_executor(), *stream, onValue), signal.slot());
    }

    boost::asio::io_context device;
    PostingEventLoop app;
    boost::asio::cancellation_signal signal;
    std::unique_ptr<NewestStream<std::string>> stream = std::make_unique<NewestStream<std::string>>(8);
    std::vector<std::string> seen;
    std::vector<bool> onApp;
};

TEST_F(FollowTest, ValuesArriveInOrderOnTheCallersLoopUntilTheOwnerGoesAway) {
    stream->push("connecting");
    auto outcome = followOnApp();
    pump();
    stream->push("connected");
    stream->push("retrying");
    pump();
    EXPECT_EQ(seen, (std::vector<std::string>{"connecting", "connected", "retrying"}));
    EXPECT_EQ(onApp, (std::vector<bool>{true, true, true}));
    EXPECT_FALSE(outcome->done);

    stream.reset();
    pump();
    ASSERT_TRUE(outcome->done);
    EXPECT_NO_THROW(outcome->get());
}

TEST_F(FollowTest, ACancelledCallerEndsCleanlyAndLeavesLaterValuesInTheStream) {
    auto outcome = followOnApp();
    pump();
    signal.emit(boost::asio::cancellation_type::terminal);
    pump();
    ASSERT_TRUE(outcome->done);
    EXPECT_NO_THROW(outcome->get());

    stream->push("offline");
    EXPECT_EQ(stream->bufferedCount(), 1u);
    EXPECT_TRUE(seen.empty());
}

TEST_F(FollowTest, AnAwaitedHandlerRunsOneValueAtATimeAndItsErrorEndsTheFollow) {
    std::vector<std::string> handled;
    auto onValue = [&](std::string value) -> boost::asio::awaitable<void> {
        co_await boost::asio::post(app.executor(), boost::asio::use_awaitable);
        if (value == "bad")
            throw std::runtime_error("the record could not be saved");
        handled.push_back(value);
    };
    auto outcome = app.spawn(follow(device.get_executor(), *stream, onValue));
    for (const char* value : {"a", "b", "bad", "c"})
        stream->push(value);
    pump();
    EXPECT_EQ(handled, (std::vector<std::string>{"a", "b"}));
    ASSERT_TRUE(outcome->done);
    EXPECT_THROW(outcome->get(), std::runtime_error);
    EXPECT_EQ(stream->bufferedCount(), 1u);
}

} // namespace
} // namespace velto
