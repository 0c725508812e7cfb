#pragma once

#include <boost/asio/awaitable.hpp>
#include <boost/asio/cancellation_type.hpp>
#include <boost/asio/error.hpp>
#include <boost/asio/redirect_error.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/this_coro.hpp>
#include <boost/asio/use_awaitable.hpp>
#include <boost/system/system_error.hpp>

#include <cstddef>
#include <deque>
#include <list>
#include <memory>
#include <optional>
#include <stdexcept>
#include <utility>

namespace velto {

/// A bounded stream from producers to a reader that keeps the newest `capacity` unread values: a
/// push into a full buffer drops the oldest one. `next()` waits for a value and gives nothing once
/// the stream is finished and drained.
///
/// Not thread-safe, and takes no lock: push, finish and next all run on the one device io_context,
/// where every producer and reader of the library lives. Readers on other threads hop there first.
template <typename T> class NewestStream {
public:
    explicit NewestStream(std::size_t capacity) : state_(std::make_shared<State>()) {
        if (capacity == 0)
            throw std::invalid_argument("a stream needs room for at least one value");
        state_->capacity = capacity;
    }

    /// Finishes the stream; readers still waiting wake and get nothing.
    ~NewestStream() { finish(); }

    NewestStream(const NewestStream&) = delete;
    NewestStream& operator=(const NewestStream&) = delete;

    /// Adds a value, dropping the oldest unread one when the buffer is full. Ignored once finished.
    void push(T value) {
        if (state_->finished)
            return;
        if (state_->buffer.size() == state_->capacity)
            state_->buffer.pop_front();
        state_->buffer.push_back(std::move(value));
        wakeFirst(*state_);
    }

    /// Adds a value only while there is room, so that the oldest unread values stay and the new one
    /// is dropped. False when it was dropped (buffer full, or the stream finished).
    bool pushIfRoom(T value) {
        if (state_->finished || state_->buffer.size() == state_->capacity)
            return false;
        state_->buffer.push_back(std::move(value));
        wakeFirst(*state_);
        return true;
    }

    /// Ends the stream. Values already buffered are still read; after them `next()` gives nothing.
    /// Safe to call more than once.
    void finish() {
        if (state_->finished)
            return;
        state_->finished = true;
        while (!state_->waiters.empty())
            wakeFirst(*state_);
    }

    bool isFinished() const { return state_->finished; }
    std::size_t bufferedCount() const { return state_->buffer.size(); }
    std::size_t capacity() const { return state_->capacity; }

    /// The oldest unread value, waiting for one if needed; nothing once finished and drained.
    /// Cancelling the wait ends it with operation_aborted and takes no value out of the buffer.
    /// The wait holds the stream's state, so the stream object may be destroyed meanwhile.
    boost::asio::awaitable<std::optional<T>> next() { return nextFrom(state_); }

private:
    struct State;

public:
    /// Reads the stream as `next()` does, without the stream object: it keeps the stream's state,
    /// so it goes on working once the stream's owner is gone (reading what was left, then nothing).
    /// Taken while the stream lives; its `next()` is awaited on the stream's executor.
    class Reader {
    public:
        boost::asio::awaitable<std::optional<T>> next() const { return nextFrom(state_); }

    private:
        friend class NewestStream;
        explicit Reader(std::shared_ptr<State> state) : state_(std::move(state)) {}
        std::shared_ptr<State> state_;
    };

    Reader reader() const { return Reader(state_); }

private:
    struct Waiter {
        explicit Waiter(const boost::asio::any_io_executor& executor) : timer(executor) {}
        boost::asio::steady_timer timer;
        bool woken = false;
    };

    struct State {
        std::size_t capacity = 1;
        std::deque<T> buffer;
        std::list<std::shared_ptr<Waiter>> waiters;
        bool finished = false;
    };

    static void wakeFirst(State& state) {
        if (state.waiters.empty())
            return;
        auto waiter = std::move(state.waiters.front());
        state.waiters.pop_front();
        waiter->woken = true;
        // Completes through the waiter's executor, never inside the producer's call.
        waiter->timer.cancel();
    }

    static boost::asio::awaitable<std::optional<T>> nextFrom(std::shared_ptr<State> state) {
        for (;;) {
            if (!state->buffer.empty()) {
                std::optional<T> value(std::move(state->buffer.front()));
                state->buffer.pop_front();
                co_return value;
            }
            if (state->finished)
                co_return std::nullopt;

            auto waiter = std::make_shared<Waiter>(co_await boost::asio::this_coro::executor);
            waiter->timer.expires_at(boost::asio::steady_timer::time_point::max());
            auto position = state->waiters.insert(state->waiters.end(), waiter);
            boost::system::error_code error;
            co_await waiter->timer.async_wait(boost::asio::redirect_error(boost::asio::use_awaitable, error));
            if (!waiter->woken) {
                state->waiters.erase(position);
                throw boost::system::system_error(boost::asio::error::operation_aborted);
            }
            // Woken and cancelled at the same moment (the loser of a race): leave the value for the
            // next reader rather than hand it to a caller that has stopped listening.
            auto cancellation = co_await boost::asio::this_coro::cancellation_state;
            if (cancellation.cancelled() != boost::asio::cancellation_type::none) {
                if (!state->buffer.empty())
                    wakeFirst(*state);
                throw boost::system::system_error(boost::asio::error::operation_aborted);
            }
            // Woken: another reader may have taken the value first, so look again.
        }
    }

    std::shared_ptr<State> state_;
};

} // namespace velto
