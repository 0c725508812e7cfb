#pragma once

#include <boost/asio/awaitable.hpp>
#include <boost/asio/bind_cancellation_slot.hpp>
#include <boost/asio/cancellation_signal.hpp>
#include <boost/asio/co_spawn.hpp>
#include <boost/asio/execution.hpp>
#include <boost/asio/execution_context.hpp>
#include <boost/asio/io_context.hpp>

#include <atomic>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#include "AsyncTestLoop.hpp"

namespace velto::testing {

/// An event loop of its own with the smallest executor Asio accepts, as the application's executor
/// over the Qt event loop will be: `execute()` only queues the work, and the context query answers
/// this loop, an execution_context of its own. The loop runs when a test calls `runReady()`; work may
/// be queued from any thread.
class PostingEventLoop : public boost::asio::execution_context {
public:
    class Executor {
    public:
        explicit Executor(PostingEventLoop& loop) noexcept : loop_(&loop) {}

        boost::asio::execution_context& query(boost::asio::execution::context_t) const noexcept {
            return *loop_;
        }
        static constexpr boost::asio::execution::blocking_t::never_t
        query(boost::asio::execution::blocking_t) noexcept {
            return {};
        }
        Executor require(boost::asio::execution::blocking_t::never_t) const noexcept { return *this; }

        template <typename Function> void execute(Function function) const {
            loop_->queue(std::make_unique<Work<Function>>(std::move(function)));
        }

        friend bool operator==(const Executor& a, const Executor& b) noexcept { return a.loop_ == b.loop_; }
        friend bool operator!=(const Executor& a, const Executor& b) noexcept { return a.loop_ != b.loop_; }

    private:
        PostingEventLoop* loop_;
    };

    Executor executor() noexcept { return Executor(*this); }

    /// Spawns `operation` on this loop, cancellable through `slot`.
    std::shared_ptr<Spawned<void>> spawn(boost::asio::awaitable<void> operation,
                                         boost::asio::cancellation_slot slot = {}) {
        auto outcome = std::make_shared<Spawned<void>>();
        boost::asio::co_spawn(executor(), std::move(operation),
                              boost::asio::bind_cancellation_slot(slot, [outcome](std::exception_ptr error) {
                                  outcome->error = error;
                                  outcome->done = true;
                              }));
        return outcome;
    }

    /// Runs `device` and this loop in turn, on this thread, until neither has anything ready.
    void runInTurnWith(boost::asio::io_context& device) {
        for (;;) {
            device.restart();
            std::size_t ran = device.poll();
            ran += runReady();
            if (ran == 0)
                break;
        }
    }

    /// Runs what is queued, and what that queues, until nothing is left; the number of items run.
    std::size_t runReady() {
        std::size_t count = 0;
        running_ = std::this_thread::get_id();
        for (;;) {
            std::unique_ptr<Item> item;
            {
                std::lock_guard lock(mutex_);
                if (items_.empty())
                    break;
                item = std::move(items_.front());
                items_.pop_front();
            }
            item->run();
            ++count;
        }
        running_ = std::thread::id();
        return count;
    }

    /// Whether the caller runs inside `runReady()`.
    bool isRunningHere() const { return running_.load() == std::this_thread::get_id(); }

    ~PostingEventLoop() {
        // Work still queued (a coroutine frame, say) is destroyed before the context's services.
        std::deque<std::unique_ptr<Item>> left;
        {
            std::lock_guard lock(mutex_);
            left.swap(items_);
        }
        left.clear();
        shutdown();
        destroy();
    }

private:
    struct Item {
        virtual ~Item() = default;
        virtual void run() = 0;
    };
    template <typename Function> struct Work final : Item {
        explicit Work(Function f) : function(std::move(f)) {}
        void run() override { std::move(function)(); }
        Function function;
    };

    void queue(std::unique_ptr<Item> item) {
        std::lock_guard lock(mutex_);
        items_.push_back(std::move(item));
    }

    std::mutex mutex_;
    std::deque<std::unique_ptr<Item>> items_;
    std::atomic<std::thread::id> running_{};
};

} // namespace velto::testing
