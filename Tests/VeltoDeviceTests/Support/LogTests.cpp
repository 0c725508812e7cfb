#include "VeltoDevice/Support/JournalLogSink.hpp"
#include "VeltoDevice/Support/Log.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace velto {
namespace {

/// Records the levels it is handed, taking lines from `lowest` up.
class LevelSink final : public LogSink {
public:
    explicit LevelSink(std::optional<LogLevel> lowest) : lowest_(lowest) {}

    LogLevel lowestLevel() const override { return lowest_ ? *lowest_ : LogSink::lowestLevel(); }
    void write(LogLevel level, std::string_view, std::string_view) override { levels.push_back(level); }

    std::vector<LogLevel> levels;

private:
    std::optional<LogLevel> lowest_;
};

class LogTest : public ::testing::Test {
protected:
    void TearDown() override { setLogSink(previous); }

    std::shared_ptr<LogSink> previous = logSink();
};

TEST_F(LogTest, LinesBelowTheSinksLowestLevelNeverReachIt) {
    const std::vector<LogLevel> all = {LogLevel::debug, LogLevel::info, LogLevel::notice, LogLevel::error,
                                       LogLevel::fault};
    struct Case {
        std::optional<LogLevel> lowest;
        std::vector<LogLevel> reached;
    };
    const std::vector<Case> cases = {
        // The default, and the journal's: debug lines stop before the sink.
        {std::nullopt, {LogLevel::info, LogLevel::notice, LogLevel::error, LogLevel::fault}},
        {LogLevel::debug, all},
        {LogLevel::error, {LogLevel::error, LogLevel::fault}},
    };
    const Logger logger("renewal");
    for (const auto& c : cases) {
        auto sink = std::make_shared<LevelSink>(c.lowest);
        setLogSink(sink);
        for (auto level : all)
            logger.write(level, "a line");
        EXPECT_EQ(sink->levels, c.reached);
    }
}

TEST_F(LogTest, TheJournalTakesNoDebugLines) {
    EXPECT_EQ(JournalLogSink().lowestLevel(), LogLevel::info);
}

TEST_F(LogTest, TheJournalGetsServerTextEscaped) {
    const std::vector<std::string> expected = {
        "MESSAGE=Joined Evil\\nmallory info: forged line\\x1B[31m red\\u{202E}",
        "PRIORITY=6",
        "SUBSYSTEM=app.velto.desktop",
        "CATEGORY=app",
    };
    EXPECT_EQ(JournalLogSink::fields(LogLevel::info, "app",
                                     "Joined Evil\nmallory info: forged line\x1b[31m red\u202e"),
              expected);
    EXPECT_EQ(JournalLogSink::fields(LogLevel::fault, "a\nb", std::string_view("x\0y", 3)),
              (std::vector<std::string>{"MESSAGE=x\\x00y", "PRIORITY=2", "SUBSYSTEM=app.velto.desktop",
                                        "CATEGORY=a\\nb"}));
}

} // namespace
} // namespace velto
