#include "VeltoDesktop/Views/ConfirmationTexts.hpp"
#include "VeltoDesktop/Views/OrganizationRowPresentation.hpp"

#include <gtest/gtest.h>

namespace velto {
namespace {

EnrolledOrganization organization(ConnectionState state, std::string name = "Acme") {
    return {Enrollment{VeltoServer::fromAddress("https://velto.example:8443"),
                       "dev-1",
                       {"org-1", std::move(name), std::nullopt},
                       {"ana", std::nullopt, std::nullopt, std::nullopt}},
            std::move(state)};
}

DeviceScopes scopes(std::vector<DeviceScopeState> states) {
    return {"dev-1", std::move(states)};
}

TEST(OrganizationRowPresentationTest, NameTooltipConnectionAndMonogram) {
    OrganizationRowPresentation row(organization(ConnectionState::connected("dev-1"), "acme"), false, {});
    EXPECT_EQ(row.name, "acme");
    EXPECT_EQ(row.tooltip, "acme on velto.example:8443");
    EXPECT_EQ(row.actionsLabel, "Actions for acme");
    EXPECT_EQ(row.connection.title, "Connected");
    EXPECT_FALSE(row.detail);
    EXPECT_FALSE(row.problem);
    EXPECT_EQ(row.monogram, "A");
    OrganizationRowPresentation blank(organization(ConnectionState::offline(), "   "), true, {});
    EXPECT_EQ(blank.monogram, "");
    EXPECT_EQ(blank.connection.title, "Paused");
}

TEST(OrganizationRowPresentationTest, TheConnectionDetailWinsOverTheAdminNote) {
    ScopeChoices choices{scopes({{DeviceScope::sreInvestigations, false, std::nullopt, "2026-01-02", true}}),
                         "Velto did not get your answer: down"};
    OrganizationRowPresentation quiet(organization(ConnectionState::connected("dev-1")), false, choices);
    EXPECT_EQ(quiet.detail, "An admin turned off Background Investigations on this computer.");
    EXPECT_EQ(quiet.problem, "Velto did not get your answer: down");
    OrganizationRowPresentation retrying(organization(ConnectionState::retrying(2500, "Down.")), false,
                                         choices);
    EXPECT_EQ(retrying.detail, "Down, trying again in 2s.");
}

TEST(ScopeChoicesTest, ItemsAreDisabledAndAskFirstWhileUnknown) {
    ScopeChoices unknown;
    const auto items = unknown.items();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].title, "Production Questions\u2026");
    EXPECT_EQ(items[1].title, "Background Investigations\u2026");
    EXPECT_EQ(items[2].title, "Production Data\u2026");
    for (const auto& item : items) {
        EXPECT_FALSE(item.isEnabled);
        EXPECT_FALSE(item.isHeld);
    }
    EXPECT_FALSE(unknown.takenAwayNote());

    ScopeChoices known{scopes({{DeviceScope::sreReach, true, "2026-01-01", std::nullopt, true},
                               {DeviceScope::reviews, true, "2026-01-01", std::nullopt, true}}),
                       std::nullopt};
    const auto held = known.items();
    EXPECT_EQ(held[2].title, "Production Data");
    EXPECT_TRUE(held[2].isHeld);
    EXPECT_TRUE(held[0].isEnabled);
    EXPECT_EQ(held[0].title, "Production Questions\u2026");
    EXPECT_FALSE(known.takenAwayNote());
}

TEST(ConfirmationTextsTest, ConsentAndRemovalTexts) {
    auto consent = ConfirmationTexts::consent(DeviceScope::sreReach, "Acme");
    EXPECT_EQ(consent.headline, "Allow Production Data for Acme?");
    EXPECT_TRUE(consent.caption.startsWith("Questions and investigations you agreed to may also read"));
    EXPECT_EQ(consent.note, "Turn it off here at any time; a run already under way finishes.");
    EXPECT_EQ(consent.confirmTitle, "Allow");
    EXPECT_FALSE(consent.isDestructive);
    auto removal = ConfirmationTexts::removal("Acme");
    EXPECT_EQ(removal.headline, "Remove Acme from this computer?");
    EXPECT_EQ(removal.caption, "Acme lists this computer until someone revokes it in Devices.");
    EXPECT_EQ(removal.confirmTitle, "Remove Acme");
    EXPECT_TRUE(removal.isDestructive);
    // A marked-up name stays literal text.
    EXPECT_EQ(ConfirmationTexts::removal("<b>x</b>").confirmTitle, "Remove <b>x</b>");
}

} // namespace
} // namespace velto
