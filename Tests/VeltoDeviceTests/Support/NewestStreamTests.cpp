#include "VeltoDevice/Support/NewestStream.hpp"

#include <boost/asio/bind_cancellation_slot.hpp>
#include <boost/asio/cancellation_signal.hpp>
#include <boost/asio/experimental/awaitable_operators.hpp>
#include <boost/system/system_error.hpp>
#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

#include "AsyncTestLoop.hpp"
#include "ManualClock.hpp"

namespace velto {
namespace {

using namespace std::chrono_literals;
using namespace boost::asio::experimental::awaitable_operators;
using testing::AsyncTestLoop;
using testing::ManualClock;

/// Reads until the stream ends.
boost::asio::awaitable<std::vector<int>> readAll(NewestStream<int>& stream) {
    std::vector<int> values;
    while (auto value = co_await stream.next())
        values.push_back(*value);
    co_return values;
}

bool isAborted(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const boost::system::system_error& failure) {
        return failure.code() == boost::asio::error::operation_aborted;
    } catch (...) {
        return false;
    }
}

TEST(NewestStream, KeepsTheNewestValuesAndDrainsThemAfterFinish) {
    struct Case {
        std::size_t capacity;
        std::vector<int> pushed;
        std::vector<int> read;
    };
    const std::vector<Case> cases = {
        {3, {1, 2}, {1, 2}},
        {3, {1, 2, 3, 4, 5}, {3, 4, 5}},
        {1, {1, 2, 3}, {3}},
        {8, {}, {}},
    };
    for (const auto& c : cases) {
        AsyncTestLoop loop;
        NewestStream<int> stream(c.capacity);
        for (int value : c.pushed)
            stream.push(value);
        stream.finish();
        stream.push(99); // after the end: ignored
        EXPECT_EQ(loop.run(readAll(stream)), c.read) << "capacity " << c.capacity;
    }
}

TEST(NewestStream, PushIfRoomKeepsTheOldestValues) {
    AsyncTestLoop loop;
    NewestStream<int> stream(1);
    EXPECT_TRUE(stream.pushIfRoom(1));
    EXPECT_FALSE(stream.pushIfRoom(2));
    EXPECT_EQ(loop.run(stream.next()), std::optional<int>(1));
    EXPECT_TRUE(stream.pushIfRoom(3));
    stream.finish();
    EXPECT_FALSE(stream.pushIfRoom(4));
    EXPECT_EQ(loop.run(readAll(stream)), std::vector<int>{3});
}

TEST(NewestStream, AWaitingReaderWakesForAValueAndForTheEnd) {
    AsyncTestLoop loop;
    NewestStream<int> stream(2);
    auto reader = loop.spawn(readAll(stream));
    loop.drain();
    EXPECT_FALSE(reader->done);
    stream.push(7);
    loop.drain();
    stream.push(8);
    loop.drain();
    EXPECT_FALSE(reader->done);
    stream.finish();
    loop.drain();
    ASSERT_TRUE(reader->done);
    EXPECT_EQ(reader->get(), (std::vector<int>{7, 8}));
}

TEST(NewestStream, WaitingReadersAreServedInOrder) {
    AsyncTestLoop loop;
    NewestStream<std::string> stream(4);
    auto first = loop.spawn(stream.next());
    auto second = loop.spawn(stream.next());
    loop.drain();
    stream.push("a");
    loop.drain();
    ASSERT_TRUE(first->done);
    EXPECT_FALSE(second->done);
    EXPECT_EQ(first->get(), std::optional<std::string>("a"));
    stream.finish();
    loop.drain();
    ASSERT_TRUE(second->done);
    EXPECT_EQ(second->get(), std::nullopt);
}

TEST(NewestStream, CancellingAWaitingReaderEndsItWithoutLosingLaterValues) {
    AsyncTestLoop loop;
    NewestStream<int> stream(2);
    boost::asio::cancellation_signal signal;
    bool done = false;
    std::exception_ptr error;
    boost::asio::co_spawn(
        loop.context(), stream.next(),
        boost::asio::bind_cancellation_slot(signal.slot(), [&](std::exception_ptr e, std::optional<int>) {
            error = e;
            done = true;
        }));
    loop.drain();
    signal.emit(boost::asio::cancellation_type::terminal);
    loop.drain();
    ASSERT_TRUE(done);
    EXPECT_TRUE(isAborted(error));

    stream.push(5);
    EXPECT_EQ(stream.bufferedCount(), 1u);
    EXPECT_EQ(loop.run(stream.next()), std::optional<int>(5));
}

TEST(NewestStream, AValueArrivingAsTheReaderLosesARaceStaysInTheStream) {
    AsyncTestLoop loop;
    ManualClock clock;
    NewestStream<int> stream(2);
    auto race = [&]() -> boost::asio::awaitable<std::variant<std::optional<int>, std::monostate>> {
        co_return co_await (stream.next() || clock.sleep(1s));
    };
    auto outcome = loop.spawn(race());
    loop.drain();
    clock.advance(1s);
    stream.push(42);
    loop.drain();
    ASSERT_TRUE(outcome->done);
    auto result = outcome->get();
    if (result.index() == 0) {
        EXPECT_EQ(std::get<0>(result), std::optional<int>(42));
        EXPECT_EQ(stream.bufferedCount(), 0u);
    } else {
        auto later = loop.spawn(stream.next());
        loop.drain();
        ASSERT_TRUE(later->done) << "the value was lost";
        EXPECT_EQ(later->get(), std::optional<int>(42));
    }
}

TEST(NewestStream, DestroyingTheStreamEndsAWaitingReader) {
    AsyncTestLoop loop;
    auto stream = std::make_unique<NewestStream<int>>(1);
    auto reader = loop.spawn(stream->next());
    loop.drain();
    stream.reset();
    loop.drain();
    ASSERT_TRUE(reader->done);
    EXPECT_EQ(reader->get(), std::nullopt);
}

TEST(NewestStream, NeedsRoomForOneValue) {
    EXPECT_THROW(NewestStream<int>(0), std::invalid_argument);
}

} // namespace
} // namespace velto
