#include "VeltoDevice/Scopes/DeviceScope.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velto {
namespace {

struct ScopeRow {
    DeviceScope scope;
    std::string raw;
    std::string title;
    std::size_t consentLength;
    std::string consent;
};

TEST(DeviceScope, CasesWithTheirTexts) {
    const std::vector<ScopeRow> rows = {
        {DeviceScope::reviews, "reviews", "Reviews", 88,
         "Velto reviews run on the harnesses you're signed into, on your plan instead of API keys."},
        {DeviceScope::sreQuestions, "sre-questions", "Production Questions", 319,
         "Questions you ask about production run on this computer, on your own Claude Code or Codex "
         "login, and count against your plan. To answer, Velto sends log lines from your "
         "organization's projects, and code from repositories you can see, to that harness's "
         "provider under your account and its terms, not your organization's."},
        {DeviceScope::sreInvestigations, "sre-investigations", "Background Investigations", 460,
         "When Velto notices a new problem in production, it may investigate it on this computer "
         "without you asking, whenever the computer is awake and connected, on your own Claude Code or "
         "Codex login, counting against your plan. Log lines from your organization's projects, "
         "and code from repositories you can see, are sent to that harness's provider under your "
         "account and its terms. Velto runs at most 4 an hour on your logins, and shares them with "
         "others who agreed."},
        {DeviceScope::sreReach, "sre-reach", "Production Data", 463,
         "Questions and investigations you agreed to may also read the production systems your "
         "organization connected: rows from its databases, and the state of its clusters and its "
         "cloud account. They run on your own Claude Code or Codex login, against your plan, and "
         "what those reads return is sent to that harness's provider beside log lines, under your "
         "account and its terms. Velto makes every read on its own servers; this computer never holds a "
         "production credential."},
    };
    ASSERT_EQ(allDeviceScopes.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto& row = rows[i];
        SCOPED_TRACE(row.raw);
        EXPECT_EQ(allDeviceScopes[i], row.scope);
        EXPECT_EQ(rawValue(row.scope), row.raw);
        EXPECT_EQ(deviceScopeFromRawValue(row.raw), row.scope);
        EXPECT_EQ(title(row.scope), row.title);
        EXPECT_EQ(consent(row.scope), row.consent);
        EXPECT_EQ(consent(row.scope).size(), row.consentLength);
        for (char c : consent(row.scope))
            EXPECT_TRUE(static_cast<unsigned char>(c) < 0x80) << "not ASCII";
    }
}

TEST(DeviceScope, RawValuesAreExact) {
    for (const char* text : {"Reviews", "sre_questions", "sreReach", "sre-reach ", ""})
        EXPECT_FALSE(deviceScopeFromRawValue(text)) << text;
}

TEST(DeviceScope, AgreedAndWidens) {
    EXPECT_EQ(std::vector<DeviceScope>(agreedDeviceScopes.begin(), agreedDeviceScopes.end()),
              (std::vector<DeviceScope>{DeviceScope::sreQuestions, DeviceScope::sreInvestigations,
                                        DeviceScope::sreReach}));
    auto reach = widens(DeviceScope::sreReach);
    EXPECT_EQ(std::vector<DeviceScope>(reach.begin(), reach.end()),
              (std::vector<DeviceScope>{DeviceScope::sreQuestions, DeviceScope::sreInvestigations}));
    for (DeviceScope scope :
         {DeviceScope::reviews, DeviceScope::sreQuestions, DeviceScope::sreInvestigations})
        EXPECT_TRUE(widens(scope).empty()) << rawValue(scope);
}

} // namespace
} // namespace velto
