#include "VeltoDesktop/Views/HarnessPresentation.hpp"
#include "VeltoDesktop/Views/ProfileBadge.hpp"
#include "VeltoDesktop/Views/StatusIconPresentation.hpp"
#include "VeltoDesktop/Views/StatusMenuPresentation.hpp"

#include <boost/url/parse.hpp>
#include <gtest/gtest.h>

namespace velto {
namespace {

using Action = StatusMenuPresentation::Action;

std::vector<std::string> titles(const StatusMenuPresentation& menu) {
    std::vector<std::string> out;
    for (const auto& command : menu.commands)
        out.push_back(command.title);
    return out;
}

TEST(StatusMenuPresentationTest, RowsFollowTheState) {
    struct Case {
        const char* name;
        StatusMenuPresentation::Input input;
        std::vector<std::string> rows;
    };
    using Input = StatusMenuPresentation::Input;
    Input paired;
    paired.hasEnrollments = true;
    paired.setupProgress = SetupProgress::finished;
    Input paused = paired;
    paused.isPaused = true;
    Input everything = paired;
    everything.loginItemState = LoginItemState::off;
    everything.commandLineToolState = CommandLineToolState::notInstalled;
    Input approval = paired;
    approval.loginItemState = LoginItemState::needsApproval;
    approval.commandLineToolState = CommandLineToolState::taken;
    Input installed = paired;
    installed.loginItemState = LoginItemState::on;
    installed.commandLineToolState = CommandLineToolState::installed;
    const Case cases[] = {
        {"no organization", Input{}, {"Quit Velto"}},
        {"paired", paired, {"Add Organizations\u2026", "Pause Reviews", "Quit Velto"}},
        {"paused", paused, {"Add Organizations\u2026", "Resume Reviews", "Quit Velto"}},
        {"every item",
         everything,
         {"Add Organizations\u2026", "Pause Reviews", "Open at Login", "Install Command Line Tool\u2026",
          "Quit Velto"}},
        {"awaiting approval, link taken",
         approval,
         {"Add Organizations\u2026", "Pause Reviews", "Allow Open at Login\u2026",
          "Install Command Line Tool\u2026", "Quit Velto"}},
        {"on, installed",
         installed,
         {"Add Organizations\u2026", "Pause Reviews", "Open at Login", "Quit Velto"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(titles(StatusMenuPresentation(c.input)), c.rows) << c.name;
    EXPECT_TRUE(StatusMenuPresentation(installed).commands[2].isChecked);
    EXPECT_FALSE(StatusMenuPresentation(approval).commands[2].isChecked);
    EXPECT_EQ(StatusMenuPresentation(paired).commands[1].shortcut, "Ctrl+P");
    EXPECT_EQ(StatusMenuPresentation(paired).commands.back().shortcut, "Ctrl+Q");
}

TEST(StatusMenuPresentationTest, PendingUpdateRefusalsAndTheSetupCard) {
    StatusMenuPresentation::Input input;
    input.pendingUpdateVersion = "2.4.0";
    input.hasEnrollments = true;
    input.setupProgress = SetupProgress::pairedWithChoicesLeft;
    input.loginItemState = LoginItemState::off;
    input.loginItemRefusal = "Velto could not add itself to your startup applications.";
    input.commandLineToolState = CommandLineToolState::taken;
    input.commandLineToolRefusal = "Another program is there now. Remove it, then install again.";
    input.isInstallingCommandLineTool = true;
    StatusMenuPresentation menu(input);
    EXPECT_EQ(menu.pendingUpdate, "Update to 2.4.0 after this review");
    EXPECT_EQ(menu.commands[2].refusal, input.loginItemRefusal);
    EXPECT_EQ(menu.commands[3].refusal, input.commandLineToolRefusal);
    EXPECT_FALSE(menu.commands[3].isEnabled);
    ASSERT_TRUE(menu.setupCard);
    EXPECT_EQ(menu.setupCard->title, "Finish setting up this computer");
    EXPECT_EQ(menu.setupCard->explanation, "It's paired. Choose what it does for your organization.");
    StatusMenuPresentation::Input fresh;
    EXPECT_EQ(StatusMenuPresentation(fresh).setupCard->title, "Set up this computer");
    EXPECT_EQ(StatusMenuPresentation(fresh).setupCard->explanation,
              "Pair it with your organization's Velto, then choose what it does.");
    EXPECT_FALSE(StatusMenuPresentation(fresh).pendingUpdate);
    fresh.hasEnrollments = true;
    fresh.setupProgress = SetupProgress::finished;
    EXPECT_FALSE(StatusMenuPresentation(fresh).setupCard);
}

TEST(StatusMenuPresentationTest, OnlyTheLoginSwitchAndQuitKeepThePanelOpen) {
    using LoginAction = StatusMenuPresentation::LoginItemAction;
    EXPECT_EQ(StatusMenuPresentation::loginItemAction(LoginItemState::off), LoginAction::turnOn);
    EXPECT_EQ(StatusMenuPresentation::loginItemAction(LoginItemState::on), LoginAction::turnOff);
    EXPECT_EQ(StatusMenuPresentation::loginItemAction(LoginItemState::needsApproval),
              LoginAction::openSettings);
    EXPECT_EQ(StatusMenuPresentation::loginItemAction(LoginItemState::unavailable), LoginAction::nothing);
    for (auto action : {Action::addOrganizations, Action::togglePause, Action::installCommandLineTool})
        EXPECT_TRUE(StatusMenuPresentation::closesMenu(action, LoginItemState::off));
    EXPECT_FALSE(StatusMenuPresentation::closesMenu(Action::quit, LoginItemState::off));
    EXPECT_FALSE(StatusMenuPresentation::closesMenu(Action::openAtLogin, LoginItemState::off));
    EXPECT_FALSE(StatusMenuPresentation::closesMenu(Action::openAtLogin, LoginItemState::on));
    EXPECT_TRUE(StatusMenuPresentation::closesMenu(Action::openAtLogin, LoginItemState::needsApproval));
}

TEST(ProfileBadgeTest, NameLoginEmailAndInitial) {
    Enrollment::User full{"ana", "Ana Lima", "ana@acme.example",
                          boost::urls::url(*boost::urls::parse_uri("https://pictures.example/ana.png"))};
    ProfileBadge badge(full);
    EXPECT_EQ(badge.name, "Ana Lima");
    EXPECT_EQ(badge.secondLine, "ana@acme.example");
    EXPECT_EQ(badge.initial, "A");
    EXPECT_EQ(badge.avatarAddress, "https://pictures.example/ana.png");
    ProfileBadge bare(Enrollment::User{"zed", std::nullopt, std::nullopt, std::nullopt});
    EXPECT_EQ(bare.name, "zed");
    EXPECT_EQ(bare.secondLine, "@zed");
    EXPECT_EQ(bare.initial, "Z");
    EXPECT_TRUE(bare.avatarAddress.empty());
    ProfileBadge blank(Enrollment::User{"yu", std::string("   "), std::string(""), std::nullopt});
    EXPECT_EQ(blank.name, "yu");
    EXPECT_EQ(blank.secondLine, "@yu");
    EXPECT_EQ(blank.initial, "Y");
}

TEST(HarnessPresentationTest, ValueToneAndCopyText) {
    struct Case {
        HarnessStatus harness;
        std::string value;
        VersionTone tone;
        std::string copyText;
    };
    const Case cases[] = {
        {HarnessStatus::notInstalled(HarnessKind::muse), "Not installed", VersionTone::muted,
         "Muse not installed"},
        {HarnessStatus::installed(HarnessKind::codex, "/bin/codex", std::nullopt, LoginState::signedOut),
         "Signed out", VersionTone::attention, "Codex unknown version, signed out"},
        {HarnessStatus::installed(HarnessKind::codex, "/bin/codex", "codex-cli 0.46.0", LoginState::unknown),
         "Sign-in unknown", VersionTone::attention, "Codex codex-cli 0.46.0, sign-in could not be checked"},
        {HarnessStatus::installed(HarnessKind::claudeCode, "/bin/claude", "Claude Code 2.1.4 (stable)",
                                  LoginState::signedIn),
         "2.1.4", VersionTone::normal, "Claude Code Claude Code 2.1.4 (stable)"},
        {HarnessStatus::installed(HarnessKind::muse, "/bin/muse", "nightly", LoginState::signedIn), "nightly",
         VersionTone::normal, "Muse nightly"},
        {HarnessStatus::installed(HarnessKind::muse, "/bin/muse", std::nullopt, LoginState::signedIn),
         "Unknown", VersionTone::normal, "Muse unknown version"},
    };
    for (const auto& c : cases) {
        HarnessPresentation presentation(c.harness);
        EXPECT_EQ(presentation.value, c.value) << c.copyText;
        EXPECT_EQ(presentation.tone, c.tone) << c.copyText;
        EXPECT_EQ(presentation.copyText, c.copyText);
    }
}

TEST(StatusIconPresentationTest, GlyphAndLabelFollowTheOverallConnection) {
    struct Case {
        OverallConnection overall;
        double opacity;
        bool isBadged;
        const char* label;
    };
    const Case cases[] = {{OverallConnection::connected, 1.0, false, "Velto, connected"},
                          {OverallConnection::needsAttention, 0.5, true, "Velto, needs attention"},
                          {OverallConnection::notEnrolled, 0.5, false, "Velto, offline"},
                          {OverallConnection::connecting, 0.5, false, "Velto, offline"},
                          {OverallConnection::offline, 0.5, false, "Velto, offline"}};
    for (const auto& c : cases) {
        StatusIconPresentation icon(c.overall);
        EXPECT_EQ(icon.opacity, c.opacity) << c.label;
        EXPECT_EQ(icon.isBadged, c.isBadged) << c.label;
        EXPECT_EQ(icon.label, c.label);
    }
    auto drawn = StatusIconPresentation(OverallConnection::connected).icon(BrandArtwork(), Qt::black);
    EXPECT_EQ(drawn.availableSizes().size(), std::size(StatusIconPresentation::sides));
    EXPECT_EQ(drawn.name(), "velto-connected-symbolic") << "the themed name goes with our pixmaps";
    EXPECT_EQ(
        StatusIconPresentation(OverallConnection::needsAttention).icon(BrandArtwork(), Qt::black).name(),
        "velto-attention-symbolic");
    EXPECT_EQ(drawn.pixmap(22).deviceIndependentSize(), QSizeF(22, 22));
    auto fallback = StatusIconPresentation(OverallConnection::connected)
                        .icon(BrandArtwork({QStringLiteral(":/Velto/Views/Symbols")}), Qt::black);
    EXPECT_FALSE(fallback.isNull());
    EXPECT_TRUE(StatusIconPresentation(OverallConnection::connected)
                    .icon(BrandArtwork({QStringLiteral(":/nowhere")}), Qt::black)
                    .isNull());
}

} // namespace
} // namespace velto
