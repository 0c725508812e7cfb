#pragma once

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/strand.hpp>
#include <boost/asio/thread_pool.hpp>

#include <optional>
#include <thread>

namespace velto {

/// The library's one I/O thread: every actor of the library lives on its context. Work that may
/// block for long runs on the small pool beside it and is awaited.
class DeviceThread {
public:
    DeviceThread();
    ~DeviceThread();

    DeviceThread(const DeviceThread&) = delete;
    DeviceThread& operator=(const DeviceThread&) = delete;

    boost::asio::io_context& context() { return context_; }
    boost::asio::any_io_executor executor() { return context_.get_executor(); }
    boost::asio::thread_pool& blockingPool() { return pool_; }
    /// The one strand of the pool on which the saved enrollments, their keys and the organization
    /// photos are read and written, one operation at a time in call order (see StrandConfined).
    const boost::asio::any_io_executor& storageStrand() const { return storageStrand_; }

    /// Stops the context and joins the thread; called by the destructor.
    void stop();

private:
    // Before the context: what the context still holds when it goes (its pending handlers, the objects
    // they own) may hold strands of the pool, which must outlive them.
    boost::asio::thread_pool pool_{2};
    boost::asio::any_io_executor storageStrand_{boost::asio::make_strand(pool_.get_executor())};
    boost::asio::io_context context_;
    std::optional<boost::asio::executor_work_guard<boost::asio::io_context::executor_type>> work_;
    std::thread thread_;
};

} // namespace velto
