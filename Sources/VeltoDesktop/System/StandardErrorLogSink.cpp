#include "VeltoDesktop/System/StandardErrorLogSink.hpp"

#include "VeltoDevice/Support/JournalLogSink.hpp"
#include "VeltoDevice/Support/LogEscaping.hpp"

#include <systemd/sd-journal.h>

#include <cstdio>
#include <string>
#include <unistd.h>

namespace velto {

namespace {

const char* levelName(LogLevel level) {
    switch (level) {
    case LogLevel::debug:
        return "debug";
    case LogLevel::info:
        return "info";
    case LogLevel::notice:
        return "notice";
    case LogLevel::error:
        return "error";
    case LogLevel::fault:
        return "fault";
    }
    return "info";
}

} // namespace

void StandardErrorLogSink::write(LogLevel level, std::string_view category, std::string_view message) {
    // Server and tool text reaches the terminal escaped: it can start no line of its own.
    std::string line = escapedForLog(category);
    line.append(" ").append(levelName(level)).append(": ").append(escapedForLog(message)).append("\n");
    std::lock_guard lock(mutex_);
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

std::shared_ptr<LogSink> StandardErrorLogSink::forThisSystem() {
    // A stream to the journal opens only where a journal listens.
    int probe = sd_journal_stream_fd("velto", 6, 0);
    if (probe >= 0) {
        close(probe);
        return std::make_shared<JournalLogSink>();
    }
    return std::make_shared<StandardErrorLogSink>();
}

} // namespace velto
