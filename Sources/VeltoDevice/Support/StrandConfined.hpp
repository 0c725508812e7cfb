#pragma once

#include "VeltoDevice/Support/Blocking.hpp"

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/awaitable.hpp>

#include <memory>
#include <type_traits>
#include <utility>

namespace velto {

/// An object whose operations block (files, the keyring) and must not interleave: each runs whole,
/// one at a time and in the order they were awaited, on `strand`, a strand of the blocking pool
/// (DeviceThread::storageStrand), and hands its result back to the caller's executor. The object is
/// reached only through `run`, so no load-change-save of it can overlap another. Copies share the
/// object and the strand.
template <typename T> class StrandConfined {
public:
    StrandConfined(boost::asio::any_io_executor strand, T object)
        : strand_(std::move(strand)), object_(std::make_shared<T>(std::move(object))) {}

    /// Runs `operation(object)` on the strand; its result or exception comes back.
    template <typename Operation>
    auto run(Operation operation) const -> boost::asio::awaitable<std::invoke_result_t<Operation, T&>> {
        return runBlocking(strand_, [object = object_, operation = std::move(operation)]() mutable {
            return operation(*object);
        });
    }

    const boost::asio::any_io_executor& strand() const { return strand_; }

private:
    boost::asio::any_io_executor strand_;
    std::shared_ptr<T> object_;
};

} // namespace velto
