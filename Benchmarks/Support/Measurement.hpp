#pragma once

#include "VeltoDevice/Support/Log.hpp"

#include <boost/asio/awaitable.hpp>
#include <boost/asio/co_spawn.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/use_future.hpp>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <future>
#include <iomanip>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velto::benchmarks {

/// The value at `fraction` (0.5 the median, 0.99 the 99th percentile) of the values.
inline double percentile(std::vector<double> values, double fraction) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    auto index = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

/// Prints "<figure>: <value> <unit> (goal under|at least <goal>: met|MISSED)"; true when met.
inline bool report(const std::string& figure, double value, const std::string& unit, double goal,
                   bool atLeast) {
    bool met = atLeast ? value >= goal : value < goal;
    std::cout << figure << ": " << value << " " << unit << " (goal " << (atLeast ? "at least " : "under ")
              << goal << " " << unit << ": " << (met ? "met" : "MISSED") << ")\n";
    return met;
}

/// Drives `operation` on the context, run on this thread, to its end; throws when it takes over 30 s.
template <typename T> T runToEnd(boost::asio::io_context& context, boost::asio::awaitable<T> operation) {
    using namespace std::chrono_literals;
    auto result = boost::asio::co_spawn(context, std::move(operation), boost::asio::use_future);
    auto deadline = std::chrono::steady_clock::now() + 30s;
    while (result.wait_for(0s) != std::future_status::ready) {
        if (std::chrono::steady_clock::now() > deadline)
            throw std::runtime_error("an operation did not finish within 30 s");
        context.run_one_for(50ms);
        if (context.stopped())
            context.restart();
    }
    return result.get();
}

/// Reads options "--name N" of positive numbers into their places; prints why and the usage, and
/// answers false, for anything else.
inline bool readPositiveOptions(int argc, char** argv,
                                const std::vector<std::pair<std::string_view, int*>>& options,
                                std::string_view usage) {
    for (int index = 1; index < argc; ++index) {
        std::string_view argument = argv[index];
        auto option = std::find_if(options.begin(), options.end(),
                                   [&](const auto& candidate) { return candidate.first == argument; });
        if (option == options.end() || index + 1 == argc) {
            std::cerr << "usage: " << usage << "\n";
            return false;
        }
        int value = std::atoi(argv[++index]);
        if (value <= 0) {
            std::cerr << argument << " takes a positive number\n";
            return false;
        }
        *option->second = value;
    }
    return true;
}

/// Sends the library's log lines nowhere, so that writing them does not weigh on the figures.
inline void discardLog() {
    class Discarding final : public LogSink {
    public:
        void write(LogLevel, std::string_view, std::string_view) override {}
    };
    setLogSink(std::make_shared<Discarding>());
}

} // namespace velto::benchmarks
