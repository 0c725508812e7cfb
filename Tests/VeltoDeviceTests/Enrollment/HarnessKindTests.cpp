#include "VeltoDevice/Enrollment/HarnessKind.hpp"
#include "VeltoDevice/Enrollment/ModelEffort.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velto {
namespace {

TEST(HarnessKind, CasesInOrderWithTheirNames) {
    struct Row {
        HarnessKind kind;
        std::string raw, executable, display;
    };
    const std::vector<Row> rows = {
        {HarnessKind::claudeCode, "claude-code", "claude", "Claude Code"},
        {HarnessKind::codex, "codex", "codex", "Codex"},
        {HarnessKind::muse, "muse", "muse", "Muse"},
    };
    ASSERT_EQ(allHarnessKinds.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].raw);
        EXPECT_EQ(allHarnessKinds[i], rows[i].kind);
        EXPECT_EQ(rawValue(rows[i].kind), rows[i].raw);
        EXPECT_EQ(executableName(rows[i].kind), rows[i].executable);
        EXPECT_EQ(displayName(rows[i].kind), rows[i].display);
        EXPECT_EQ(harnessKindFromRawValue(rows[i].raw), rows[i].kind);
    }
}

TEST(HarnessKind, RawValuesAreExact) {
    for (const char* text : {"Claude-Code", "claude", "claudeCode", "CODEX", " muse", ""}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(harnessKindFromRawValue(text));
    }
}

TEST(ModelEffort, CasesInCanonicalOrderAndExactRawValues) {
    const std::vector<std::pair<ModelEffort, std::string>> rows = {{ModelEffort::low, "low"},
                                                                   {ModelEffort::medium, "medium"},
                                                                   {ModelEffort::high, "high"},
                                                                   {ModelEffort::max, "max"}};
    ASSERT_EQ(allModelEfforts.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(allModelEfforts[i], rows[i].first);
        EXPECT_EQ(rawValue(rows[i].first), rows[i].second);
        EXPECT_EQ(modelEffortFromRawValue(rows[i].second), rows[i].first);
    }
    for (const char* text : {"Low", "MAX", "xhigh", "minimal", ""})
        EXPECT_FALSE(modelEffortFromRawValue(text)) << text;
}

} // namespace
} // namespace velto
