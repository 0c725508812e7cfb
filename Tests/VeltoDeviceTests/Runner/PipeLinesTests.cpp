#include "VeltoDevice/Runner/PipeLines.hpp"

#include <boost/asio/co_spawn.hpp>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "AsyncTestLoop.hpp"
#include "CapturingLogSink.hpp"

namespace velto {
namespace {

using testing::AsyncTestLoop;

/// A pipe whose reading end is read as lines and whose writing end the test writes on.
struct LinePipe {
    explicit LinePipe(AsyncTestLoop& onLoop) : loop(onLoop) {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
            throw std::runtime_error("pipe2");
        lines.emplace(PipeEnd(onLoop.executor(), fds[0]));
        writer.emplace(onLoop.executor(), fds[1]);
    }

    void write(const std::string& bytes) { loop.run(writer->write(bytes)); }
    void close() { writer->close(); }

    std::vector<std::string> readAll() {
        return loop.run([](PipeLines& from) -> boost::asio::awaitable<std::vector<std::string>> {
            std::vector<std::string> all;
            while (auto line = co_await from.next())
                all.push_back(*line);
            co_return all;
        }(*lines));
    }

    AsyncTestLoop& loop;
    std::optional<PipeLines> lines;
    std::optional<PipeEnd> writer;
};

TEST(PipeLines, SplitsWhatThePipeDeliversIntoLines) {
    struct Case {
        std::string what;
        std::vector<std::string> writes;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases = {
        {"a last line without a line feed", {"ab\ncd"}, {"ab", "cd"}},
        {"a carriage return stays, an empty line is empty", {"a\r\n\n"}, {"a\r", ""}},
        {"one line in three reads", {"he", "ll", "o\n"}, {"hello"}},
        {"a character split across reads", {"\xE2\x82", "\xAC\n"}, {"\xE2\x82\xAC"}},
        {"bytes that are not UTF-8", {"\xFFok\n\xC3"}, {"\uFFFDok", "\uFFFD"}},
        {"nothing at all", {}, {}},
    };
    for (const auto& c : cases) {
        AsyncTestLoop loop;
        LinePipe pipe(loop);
        std::vector<std::string> read;
        auto reading =
            loop.spawn([](PipeLines& from, std::vector<std::string>& into) -> boost::asio::awaitable<void> {
                while (auto line = co_await from.next())
                    into.push_back(*line);
            }(*pipe.lines, read));
        for (const auto& bytes : c.writes) {
            pipe.write(bytes);
            loop.drain();
        }
        pipe.close();
        loop.runUntil([&] { return reading->done; });
        EXPECT_EQ(read, c.lines) << c.what;
    }
}

TEST(PipeLines, ReadsOnlyWhenAskedSoASlowReaderSlowsTheWriter) {
    AsyncTestLoop loop;
    LinePipe pipe(loop);
    const std::string line(1023, 'x');
    std::string many;
    for (int i = 0; i < 1024; ++i)
        many += line + "\n"; // 1 MiB: far more than the pipe and one read hold
    auto writing = loop.spawn(pipe.writer->write(many));
    loop.drain();
    auto first = loop.spawn(pipe.lines->next());
    loop.drain();
    EXPECT_EQ(first->get(), line);
    loop.drain();
    EXPECT_FALSE(writing->done) << "the writer waits while nobody reads";

    std::size_t count = 1;
    auto rest = loop.spawn([](PipeLines& from, std::size_t& read) -> boost::asio::awaitable<void> {
        for (std::size_t i = 1; i < 1024; ++i) {
            if (co_await from.next())
                ++read;
        }
    }(*pipe.lines, count));
    loop.runUntil([&] { return rest->done && writing->done; });
    EXPECT_EQ(count, 1024u);
}

TEST(PipeLines, DropsALineOverTheLimitUpToItsLineFeed) {
    auto sink = testing::CapturingLogSink::install();
    AsyncTestLoop loop;
    LinePipe pipe(loop);
    auto writing = loop.spawn([](PipeEnd& writer) -> boost::asio::awaitable<void> {
        co_await writer.write("before\n");
        std::string chunk(1024 * 1024, 'y');
        for (std::size_t written = 0; written <= PipeLines::lineLimit; written += chunk.size())
            co_await writer.write(chunk);
        co_await writer.write("still the long line\nafter\n");
        writer.close();
    }(*pipe.writer));
    auto lines = pipe.readAll();
    loop.runUntil([&] { return writing->done; });
    EXPECT_EQ(lines, (std::vector<std::string>{"before", "after"}));
    EXPECT_EQ(sink->messages("runner"),
              std::vector<std::string>{"dropped a line longer than 16777216 bytes"});
}

} // namespace
} // namespace velto
