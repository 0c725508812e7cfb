#include "VeltoDevice/Support/JournalLogSink.hpp"

#include "VeltoDevice/Support/BundleIdentifier.hpp"
#include "VeltoDevice/Support/LogEscaping.hpp"

#include <systemd/sd-journal.h>

#include <string>
#include <sys/uio.h>
#include <syslog.h>

namespace velto {

namespace {

int priorityOf(LogLevel level) {
    switch (level) {
    case LogLevel::debug:
        return LOG_DEBUG;
    case LogLevel::info:
        return LOG_INFO;
    case LogLevel::notice:
        return LOG_NOTICE;
    case LogLevel::error:
        return LOG_ERR;
    case LogLevel::fault:
        return LOG_CRIT;
    }
    return LOG_INFO;
}

} // namespace

std::vector<std::string> JournalLogSink::fields(LogLevel level, std::string_view category,
                                                std::string_view message) {
    return {"MESSAGE=" + escapedForLog(message), "PRIORITY=" + std::to_string(priorityOf(level)),
            std::string("SUBSYSTEM=") + kBundleIdentifier, "CATEGORY=" + escapedForLog(category)};
}

void JournalLogSink::write(LogLevel level, std::string_view category, std::string_view message) {
    auto lines = fields(level, category, message);
    std::vector<iovec> vectors;
    vectors.reserve(lines.size());
    for (auto& line : lines)
        vectors.push_back({line.data(), line.size()});
    sd_journal_sendv(vectors.data(), static_cast<int>(vectors.size()));
}

} // namespace velto
