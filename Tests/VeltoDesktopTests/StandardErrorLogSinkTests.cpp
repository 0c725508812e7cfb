#include "VeltoDesktop/System/StandardErrorLogSink.hpp"
#include "VeltoDevice/Support/Log.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <string>
#include <unistd.h>

namespace velto {
namespace {

/// Everything `write` puts on standard error, byte for byte.
std::string standardErrorOf(const std::function<void()>& write) {
    std::fflush(stderr);
    char path[] = "/tmp/velto-stderr-XXXXXX";
    int file = ::mkstemp(path);
    EXPECT_GE(file, 0);
    ::unlink(path);
    int saved = ::dup(STDERR_FILENO);
    ::dup2(file, STDERR_FILENO);
    write();
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    std::string bytes;
    char chunk[4096];
    ::lseek(file, 0, SEEK_SET);
    for (ssize_t count; (count = ::read(file, chunk, sizeof chunk)) > 0;)
        bytes.append(chunk, static_cast<std::size_t>(count));
    ::close(file);
    return bytes;
}

TEST(StandardErrorLogSink, AHostileNameStaysOnItsLineAndSendsNoEscapeToTheTerminal) {
    auto previous = logSink();
    setLogSink(std::make_shared<StandardErrorLogSink>());
    const std::string name = "Evil\nmallory info: forged line\x1b[31m red\u202e\xff";
    auto written = standardErrorOf([&] {
        Logger("app").notice("Joined " + name);
        Logger("session").error(std::string("tool\r\tsaid \0 \x7f \u0085", 17));
    });
    setLogSink(previous);
    EXPECT_EQ(written, "app notice: Joined Evil\\nmallory info: forged line\\x1B[31m red\\u{202E}\\xFF\n"
                       "session error: tool\\r\\tsaid \\x00 \\x7F \\u{0085}\n");
}

} // namespace
} // namespace velto
