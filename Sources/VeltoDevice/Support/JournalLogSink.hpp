#pragma once

#include "VeltoDevice/Support/Log.hpp"

namespace velto {

/// Writes each line to the systemd journal with the bundle identifier as SUBSYSTEM and the category.
class JournalLogSink final : public LogSink {
public:
    void write(LogLevel level, std::string_view category, std::string_view message) override;
};

} // namespace velto
