#include "VeltoDevice/Runner/PipeLines.hpp"

#include "VeltoDevice/Runner/RunnerLog.hpp"
#include "VeltoDevice/Support/RepairedUTF8.hpp"

#include <cstring>
#include <span>
#include <string_view>

namespace velto {

namespace {

constexpr std::size_t kChunk = 65536;

std::string lineText(const Bytes& bytes, std::size_t from, std::size_t to) {
    return repairedUTF8(std::string_view(reinterpret_cast<const char*>(bytes.data()) + from, to - from));
}

/// The position of the first line feed at or after `from`, or the buffer's size.
std::size_t lineFeed(const Bytes& bytes, std::size_t from) {
    if (from >= bytes.size())
        return bytes.size();
    const void* found = std::memchr(bytes.data() + from, '\n', bytes.size() - from);
    return found == nullptr
               ? bytes.size()
               : static_cast<std::size_t>(static_cast<const std::uint8_t*>(found) - bytes.data());
}

} // namespace

PipeLines::PipeLines(PipeEnd pipe) : pipe_(std::move(pipe)) {}

void PipeLines::takeBufferedLines() {
    for (;;) {
        std::size_t end = lineFeed(buffer_, scanned_);
        if (end == buffer_.size()) {
            scanned_ = end;
            break;
        }
        if (skipping_)
            skipping_ = false;
        else
            lines_.push_back(lineText(buffer_, start_, end));
        start_ = scanned_ = end + 1;
    }
    if (!skipping_ && buffer_.size() - start_ > lineLimit) {
        runnerLog().error("dropped a line longer than " + std::to_string(lineLimit) + " bytes");
        skipping_ = true;
    }
    if (skipping_)
        start_ = scanned_ = buffer_.size();
    // Taken bytes go before the next read, so the buffer holds one unfinished line at most.
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(start_));
    scanned_ -= start_;
    start_ = 0;
}

boost::asio::awaitable<std::optional<std::string>> PipeLines::next() {
    while (lines_.empty() && !ended_) {
        std::size_t size = buffer_.size();
        buffer_.resize(size + kChunk);
        std::size_t count = 0;
        try {
            count = co_await pipe_.readSome(std::span<std::uint8_t>(buffer_.data() + size, kChunk));
        } catch (...) {
            buffer_.resize(size);
            throw;
        }
        buffer_.resize(size + count);
        if (count == 0) {
            ended_ = true;
            pipe_.close();
            // A last line without a line feed is not lost.
            if (!skipping_ && !buffer_.empty())
                lines_.push_back(lineText(buffer_, 0, buffer_.size()));
            buffer_.clear();
            break;
        }
        takeBufferedLines();
    }
    if (lines_.empty())
        co_return std::nullopt;
    std::optional<std::string> line(std::move(lines_.front()));
    lines_.pop_front();
    co_return line;
}

} // namespace velto
