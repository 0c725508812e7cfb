#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace velto {

enum class LogLevel { debug, info, notice, error, fault };

/// Where log lines go: the journal in the application, a capturing sink in tests.
class LogSink {
public:
    virtual ~LogSink() = default;
    /// The lowest level the sink takes, read once when it is installed. Lines below it are dropped
    /// before any sink is reached; by default debug lines, as the system log keeps none.
    virtual LogLevel lowestLevel() const { return LogLevel::info; }
    virtual void write(LogLevel level, std::string_view category, std::string_view message) = 0;
};

/// The process-wide sink; the journal unless replaced. Safe to call from any thread.
void setLogSink(std::shared_ptr<LogSink> sink);
std::shared_ptr<LogSink> logSink();

/// A category of the system log ("connection", "session", "renewal", "runner", "update", "app").
class Logger {
public:
    explicit Logger(std::string category) : category_(std::move(category)) {}

    void debug(std::string_view message) const { write(LogLevel::debug, message); }
    void info(std::string_view message) const { write(LogLevel::info, message); }
    void notice(std::string_view message) const { write(LogLevel::notice, message); }
    void error(std::string_view message) const { write(LogLevel::error, message); }
    void fault(std::string_view message) const { write(LogLevel::fault, message); }

    void write(LogLevel level, std::string_view message) const;
    const std::string& category() const { return category_; }

private:
    std::string category_;
};

} // namespace velto
