#include "VeltoDevice/Support/Log.hpp"

#include "VeltoDevice/Support/JournalLogSink.hpp"

#include <mutex>

namespace velto {

namespace {

std::mutex& sinkMutex() {
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<LogSink>& currentSink() {
    static std::shared_ptr<LogSink> sink = std::make_shared<JournalLogSink>();
    return sink;
}

} // namespace

void setLogSink(std::shared_ptr<LogSink> sink) {
    std::lock_guard lock(sinkMutex());
    currentSink() = std::move(sink);
}

std::shared_ptr<LogSink> logSink() {
    std::lock_guard lock(sinkMutex());
    return currentSink();
}

void Logger::write(LogLevel level, std::string_view message) const {
    if (auto sink = logSink())
        sink->write(level, category_, message);
}

} // namespace velto
