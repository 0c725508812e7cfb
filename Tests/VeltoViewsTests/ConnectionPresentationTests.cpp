#include "VeltoDesktop/Views/ConnectionPresentation.hpp"

#include <gtest/gtest.h>

namespace velto {
namespace {

struct PresentationCase {
    const char* name;
    ConnectionState state;
    bool isPaused;
    ConnectionPresentation expected;
};

TEST(ConnectionPresentationTest, EveryStateHasItsTitleDetailAndTint) {
    const PresentationCase cases[] = {
        {"connected", ConnectionState::connected("dev-1"), false, {"Connected", std::nullopt, Tint::green}},
        {"connected while paused",
         ConnectionState::connected("dev-1"),
         true,
         {"Connected", std::nullopt, Tint::green}},
        {"retrying",
         ConnectionState::retrying(2500, "Velto could not be reached."),
         false,
         {"Retrying", "Velto could not be reached, trying again in 2s.", Tint::orange}},
        {"stopped keeps its reason as it came",
         ConnectionState::stopped("  Revoked.  "),
         false,
         {"Stopped", "  Revoked.  ", Tint::red}},
        {"connecting",
         ConnectionState::connecting(),
         false,
         {"Connecting\u2026", std::nullopt, Tint::orange}},
        {"offline and paused", ConnectionState::offline(), true, {"Paused", std::nullopt, Tint::secondary}},
        {"offline", ConnectionState::offline(), false, {"Offline", std::nullopt, Tint::secondary}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ConnectionPresentation(c.state, c.isPaused), c.expected) << c.name;
    EXPECT_EQ(ConnectionPresentation::notEnrolled(),
              ConnectionPresentation("Not enrolled", std::nullopt, Tint::secondary));
}

TEST(ConnectionPresentationTest, RetrySecondsRoundDownWithOneAtLeast) {
    const std::pair<std::int64_t, std::int64_t> cases[] = {{-5, 1},   {0, 1},    {999, 1},  {1000, 1},
                                                           {1999, 1}, {2000, 2}, {2500, 2}, {60000, 60}};
    for (auto [milliseconds, seconds] : cases)
        EXPECT_EQ(ConnectionPresentation::retrySeconds(milliseconds), seconds) << milliseconds;
}

TEST(ConnectionPresentationTest, RetryDetailTrimsSpacesAndOneFullStop) {
    const std::pair<std::string, std::string> cases[] = {
        {"Down.", "Down, trying again in 3s."},
        {"Down..", "Down., trying again in 3s."},
        {" \tDown. \t", "Down, trying again in 3s."},
        {"Down.\n", "Down.\n, trying again in 3s."},
        {"", ", trying again in 3s."},
        {"\xC2\xA0"
         "Down.\xE2\x80\x83",
         "Down, trying again in 3s."},
    };
    for (const auto& [reason, detail] : cases)
        EXPECT_EQ(ConnectionPresentation::retrying(reason, 3), detail) << reason;
    EXPECT_EQ(*ConnectionPresentation(ConnectionState::retrying(10, ""), false).detail,
              ", trying again in 1s.");
}

} // namespace
} // namespace velto
