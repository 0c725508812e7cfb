#pragma once

#include "VeltoDevice/Support/Log.hpp"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace velto::testing {

struct CapturedLine {
    LogLevel level;
    std::string category;
    std::string message;
};

/// Keeps every line in memory, debug lines included; install it with `CapturingLogSink::install()`
/// for one test.
class CapturingLogSink final : public LogSink {
public:
    LogLevel lowestLevel() const override { return LogLevel::debug; }

    void write(LogLevel level, std::string_view category, std::string_view message) override {
        std::lock_guard lock(mutex_);
        lines_.push_back({level, std::string(category), std::string(message)});
    }

    std::vector<CapturedLine> lines() const {
        std::lock_guard lock(mutex_);
        return lines_;
    }

    /// The messages of one category, in order.
    std::vector<std::string> messages(const std::string& category) const {
        std::lock_guard lock(mutex_);
        std::vector<std::string> out;
        for (const auto& line : lines_) {
            if (line.category == category)
                out.push_back(line.message);
        }
        return out;
    }

    /// Installs a fresh capturing sink as the process sink and returns it.
    static std::shared_ptr<CapturingLogSink> install() {
        auto sink = std::make_shared<CapturingLogSink>();
        setLogSink(sink);
        return sink;
    }

private:
    mutable std::mutex mutex_;
    std::vector<CapturedLine> lines_;
};

} // namespace velto::testing
