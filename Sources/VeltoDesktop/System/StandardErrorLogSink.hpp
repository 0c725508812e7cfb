#pragma once

#include "VeltoDevice/Support/Log.hpp"

#include <mutex>

namespace velto {

/// Writes each line to standard error as "<category> <level>: <message>", category and message
/// escaped for the log, for runs where no journal is reachable (a terminal, a container).
class StandardErrorLogSink final : public LogSink {
public:
    void write(LogLevel level, std::string_view category, std::string_view message) override;

    /// The journal sink when the journal's socket takes a connection, else this one.
    static std::shared_ptr<LogSink> forThisSystem();

private:
    std::mutex mutex_;
};

} // namespace velto
