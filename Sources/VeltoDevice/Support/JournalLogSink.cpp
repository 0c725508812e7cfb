#include "VeltoDevice/Support/JournalLogSink.hpp"

#include "VeltoDevice/Support/BundleIdentifier.hpp"

#include <systemd/sd-journal.h>

#include <string>
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

void JournalLogSink::write(LogLevel level, std::string_view category, std::string_view message) {
    std::string text(message);
    std::string categoryText(category);
    sd_journal_send("MESSAGE=%s", text.c_str(), "PRIORITY=%i", priorityOf(level), "SUBSYSTEM=%s",
                    kBundleIdentifier, "CATEGORY=%s", categoryText.c_str(), nullptr);
}

} // namespace velto
