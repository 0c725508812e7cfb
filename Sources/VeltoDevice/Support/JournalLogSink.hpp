#pragma once

#include "VeltoDevice/Support/Log.hpp"

#include <string>
#include <vector>

namespace velto {

/// Writes each line to the systemd journal with the bundle identifier as SUBSYSTEM and the category.
class JournalLogSink final : public LogSink {
public:
    void write(LogLevel level, std::string_view category, std::string_view message) override;

    /// The journal fields of one line ("MESSAGE=...", "PRIORITY=...", "SUBSYSTEM=...",
    /// "CATEGORY=..."), message and category escaped for the log: journalctl prints a message as it
    /// is stored.
    static std::vector<std::string> fields(LogLevel level, std::string_view category,
                                           std::string_view message);
};

} // namespace velto
