#include "VeltoDevice/Support/Log.hpp"

#include "VeltoDevice/Support/JournalLogSink.hpp"

#include <atomic>
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

/// The current sink's lowest level, checked without the lock: a line below it costs no more.
std::atomic<LogLevel>& lowestLevel() {
    static std::atomic<LogLevel> level{JournalLogSink().lowestLevel()};
    return level;
}

} // namespace

void setLogSink(std::shared_ptr<LogSink> sink) {
    std::lock_guard lock(sinkMutex());
    lowestLevel().store(sink ? sink->lowestLevel() : LogLevel::fault, std::memory_order_relaxed);
    currentSink() = std::move(sink);
}

std::shared_ptr<LogSink> logSink() {
    std::lock_guard lock(sinkMutex());
    return currentSink();
}

void Logger::write(LogLevel level, std::string_view message) const {
    if (level < lowestLevel().load(std::memory_order_relaxed))
        return;
    if (auto sink = logSink())
        sink->write(level, category_, message);
}

} // namespace velto
