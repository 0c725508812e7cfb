#pragma once

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/strand.hpp>
#include <boost/asio/thread_pool.hpp>

#include <future>
#include <thread>

namespace velto::testing {

/// A pool of one thread whose first work holds it until `release`, as a slow disk, a prompt or a busy
/// machine would, and records the thread.
class HeldPool {
public:
    HeldPool() {
        boost::asio::post(pool_, [this, held = release_.get_future().share()] {
            thread_ = std::this_thread::get_id();
            held.wait();
        });
    }
    ~HeldPool() {
        release();
        pool_.join();
    }

    HeldPool(const HeldPool&) = delete;
    HeldPool& operator=(const HeldPool&) = delete;

    boost::asio::thread_pool& pool() { return pool_; }
    boost::asio::any_io_executor executor() { return pool_.get_executor(); }
    boost::asio::any_io_executor strand() { return strand_; }
    void release() {
        if (!released_) {
            released_ = true;
            release_.set_value();
        }
    }
    /// The pool's thread, once its first work ran.
    std::thread::id thread() const { return thread_; }

private:
    boost::asio::thread_pool pool_{1};
    boost::asio::any_io_executor strand_{boost::asio::make_strand(pool_.get_executor())};
    std::promise<void> release_;
    bool released_ = false;
    std::thread::id thread_;
};

} // namespace velto::testing
