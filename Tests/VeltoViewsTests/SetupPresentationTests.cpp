// The setup window's derived values and pictures at fixed times: the pair stage and its texts, the
// greeting name, the widening rule, the arc and its pulses, the orbiters, the login scene, the feed
// and the terminal.
#include "VeltoDesktop/Setup/LoginItemScene.hpp"
#include "VeltoDesktop/Setup/Motion.hpp"
#include "VeltoDesktop/Setup/Orbiter.hpp"
#include "VeltoDesktop/Setup/PairStage.hpp"
#include "VeltoDesktop/Setup/PairStepTexts.hpp"
#include "VeltoDesktop/Setup/PairingScene.hpp"
#include "VeltoDesktop/Setup/PushFeed.hpp"
#include "VeltoDesktop/Setup/ScopeAgreement.hpp"
#include "VeltoDesktop/Setup/SetupNames.hpp"
#include "VeltoDesktop/Setup/TerminalScript.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "FakeSetupModel.hpp"

namespace velto::testing {
namespace {

constexpr double pi = std::numbers::pi;

EnrollmentPrompt joinedPrompt(std::vector<Enrollment> joined, std::vector<CodeRefusal> refusals = {}) {
    EnrollmentResults results;
    for (auto& enrollment : joined)
        results.joined.push_back({std::move(enrollment), std::nullopt});
    results.refusals = std::move(refusals);
    return EnrollmentPrompt::joined(results);
}

TEST(PairStageTest, FollowsThePromptAndFallsBackToTheIdleStage) {
    const auto acme = sampleEnrollment("d1", "Acme", "ana", "Ana Lima");
    const auto globex = sampleEnrollment("d2", "Globex");
    const EnrollmentGate gate(sampleLink({"7KQ2-MX9D"}));
    using C = PairStage::Case;
    struct Case {
        std::optional<EnrollmentPrompt> prompt;
        std::vector<Enrollment> enrollments;
        bool waiting;
        C stage;
        const char* name;
    };
    const std::vector<Case> cases{
        {EnrollmentPrompt::confirming(gate), {}, false, C::confirming, "confirming"},
        {EnrollmentPrompt::enrolling(gate.proposal()), {}, true, C::pairing, "pairing"},
        {joinedPrompt({acme}), {}, false, C::paired, "paired"},
        {EnrollmentPrompt::failed("Velto did not accept that code."), {acme}, false, C::failed, "failed"},
        {std::nullopt, {globex}, true, C::paired, "paired"},
        {std::nullopt, {}, true, C::waitingForBrowser, "waitingForBrowser"},
        {std::nullopt, {}, false, C::address, "address"},
    };
    for (const auto& c : cases) {
        const auto stage = PairStage::of(c.prompt, c.enrollments, c.waiting);
        EXPECT_EQ(stage.kind(), c.stage) << c.name;
        EXPECT_EQ(stage.name(), c.name);
    }
    EXPECT_EQ(PairStage::of(EnrollmentPrompt::confirming(gate), {}, false).as<PairStage::Confirming>()->gate,
              gate);
    const auto joined = PairStage::of(joinedPrompt({globex, acme}), {}, false);
    EXPECT_EQ(joined.as<PairStage::Paired>()->enrollments, (std::vector<Enrollment>{globex, acme}))
        << "the joined enrollments in order";
    EXPECT_FALSE(joined.as<PairStage::Paired>()->refusals);
    EXPECT_EQ(PairStage::of(std::nullopt, {globex}, false).as<PairStage::Paired>()->enrollments,
              std::vector<Enrollment>{globex});
}

TEST(PairStageTest, TitlesAndMessages) {
    const auto ana = sampleEnrollment("d1", "Acme", "ana", "Ana Lima");
    const auto bo = sampleEnrollment("d2", "Globex", "bo");
    struct Case {
        PairStage stage;
        QString title;
        QString message;
    };
    const std::vector<Case> cases{
        {PairStage{PairStage::Address{}}, "Connect to Velto",
         "Sign in to your organization's Velto and pair this computer. Its key is made here and kept in your "
         "login keyring, which unlocks when you log in."},
        {PairStage{PairStage::WaitingForBrowser{}}, "Finish in your browser",
         "On the Devices page, choose “Add this Mac”. Velto comes back here when you do."},
        {PairStage{PairStage::Pairing{}}, "Pairing…",
         "Creating this computer's key and proving it to Velto."},
        {PairStage{PairStage::Paired{{ana, bo}, std::nullopt}}, "Ana, you're in Acme and Globex.",
         "This computer is paired. Next, choose what it does for Acme and Globex."},
        {PairStage{PairStage::Paired{{bo}, std::string("1 of 2 codes was refused:\nAAAA-1111: expired")}},
         "bo, you're in Globex.", "1 of 2 codes was refused:\nAAAA-1111: expired"},
        {PairStage{PairStage::Failed{"Velto did not accept that code."}}, "That didn't work",
         "Velto did not accept that code."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PairStepTexts::title(c.stage), c.title);
        EXPECT_EQ(PairStepTexts::message(c.stage), c.message) << c.title.toStdString();
    }
}

TEST(PairStageTest, ServerTextIsShownAsPlainTextOnOneLine) {
    auto named = sampleEnrollment("d1", "<b>Acme</b>\u202E", "ana", "\u202EAna 🙂");
    const auto title = PairStepTexts::title(PairStage{PairStage::Paired{{named}, std::nullopt}});
    EXPECT_TRUE(title.contains("<b>Acme</b>")) << "markup stays as text";
    // Each name in its own isolate: its override ends with it and cannot reorder the sentence.
    EXPECT_TRUE(title.startsWith(QChar(0x2068))) << title.toStdString();
    EXPECT_EQ(title.count(QChar(0x2068)), 2);
    EXPECT_EQ(title.count(QChar(0x2069)), 2);
    EXPECT_TRUE(title.endsWith(QString(QChar(0x2069)) + "."));
}

TEST(SetupNamesTest, FirstName) {
    struct Case {
        std::optional<Enrollment::User> user;
        QString shown;
    };
    const std::vector<Case> cases{
        {std::nullopt, "Welcome"},
        {Enrollment::User{"ana", std::string("Ana Lima"), std::nullopt, std::nullopt}, "Ana"},
        {Enrollment::User{"ana", std::string("  Ana  Lima"), std::nullopt, std::nullopt}, "Ana"},
        {Enrollment::User{"ana", std::string(""), std::nullopt, std::nullopt}, "ana"},
        {Enrollment::User{"ana", std::string("   "), std::nullopt, std::nullopt}, "ana"},
        {Enrollment::User{"ana", std::nullopt, std::nullopt, std::nullopt}, "ana"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SetupNames::firstName(c.user), c.shown);
    EXPECT_EQ(SetupNames::organizationsOrYours({}), "your organization");
}

TEST(ScopeAgreementTest, AWideningScopeStaysOnlyWhileOneItWidensIsOn) {
    using S = DeviceScope;
    EXPECT_FALSE(ScopeAgreement::isEnabled({}, S::sreReach));
    EXPECT_TRUE(ScopeAgreement::isEnabled({}, S::sreQuestions));
    EXPECT_TRUE(ScopeAgreement::isEnabled({S::sreInvestigations}, S::sreReach));

    auto agreed = ScopeAgreement::setting({}, S::sreQuestions, true);
    agreed = ScopeAgreement::setting(agreed, S::sreReach, true);
    EXPECT_EQ(agreed, (std::set<S>{S::sreQuestions, S::sreReach}));
    EXPECT_EQ(ScopeAgreement::setting(agreed, S::sreQuestions, false), std::set<S>{})
        << "reach goes with the last scope it widens";
    EXPECT_EQ(
        ScopeAgreement::firstAdded({S::sreQuestions}, {S::sreQuestions, S::sreInvestigations, S::sreReach}),
        S::sreInvestigations);
    EXPECT_FALSE(ScopeAgreement::firstAdded({S::sreQuestions}, {}));
}

TEST(PairingSceneTest, TheArcAndItsPulsesAtFixedTimes) {
    const QSizeF size(340, 340);
    const auto arc = PairingScene::Arc::in(size);
    EXPECT_EQ(arc.start, QPointF(68, 197.2));
    EXPECT_EQ(arc.control, QPointF(170, 61.2));
    EXPECT_EQ(arc.end, QPointF(272, 197.2));
    // Quadratic Bézier at one half: a quarter of each end and half the control.
    EXPECT_NEAR(arc.point(0.5).y(), 0.25 * 197.2 + 0.5 * 61.2 + 0.25 * 197.2, 1e-9);

    using C = PairStage::Case;
    EXPECT_EQ(PairingScene::period(C::pairing), 0.9);
    EXPECT_EQ(PairingScene::period(C::confirming), 1.8);
    EXPECT_EQ(PairingScene::period(C::waitingForBrowser), 1.8);
    EXPECT_FALSE(PairingScene::period(C::address));
    EXPECT_FALSE(PairingScene::period(C::paired));

    // 0.3 s into a 0.9 s period: the pulses at 1/3, 2/3 and 0.
    const double time = 900.0 * 1000 + 0.3;
    const auto pairing = PairingScene::of(C::pairing, size, time);
    ASSERT_EQ(pairing.pulses.size(), 3u);
    const double expected[] = {1.0 / 3, 2.0 / 3, 0.0};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_NEAR(pairing.pulses[i].t, expected[i], 1e-6) << i;
        EXPECT_NEAR(pairing.pulses[i].opacity, std::sin(pi * expected[i]), 1e-6);
        EXPECT_NEAR(pairing.pulses[i].center.x(), arc.point(expected[i]).x(), 1e-3);
    }
    EXPECT_FALSE(pairing.badge);
    EXPECT_FALSE(pairing.isDashed);
    EXPECT_EQ(pairing.arcOpacity, 0.8);

    const auto address = PairingScene::of(C::address, size, time);
    EXPECT_TRUE(address.pulses.empty());
    EXPECT_TRUE(address.isDashed);
    EXPECT_EQ(address.arcOpacity, 0.35);

    const auto paired = PairingScene::of(C::paired, size, time);
    ASSERT_TRUE(paired.badge);
    EXPECT_EQ(paired.tint, Tint::green);
    EXPECT_EQ(paired.badge->center, arc.point(0.5));
    const auto failed = PairingScene::of(C::failed, size, time);
    ASSERT_TRUE(failed.badge);
    EXPECT_EQ(failed.tint, Tint::red);

    EXPECT_TRUE(PairingScene::moves(C::pairing, false));
    EXPECT_FALSE(PairingScene::moves(C::pairing, true)) << "reduced motion: the pulses stand still";
    EXPECT_FALSE(PairingScene::moves(C::paired, false));
}

TEST(OrbiterTest, EightChipsOnThreeOrbitsAndTheirPlacementAtFixedTimes) {
    const auto& all = Orbiter::all();
    ASSERT_EQ(all.size(), 8u);
    const HarnessKind kinds[] = {HarnessKind::claudeCode, HarnessKind::codex, HarnessKind::muse};
    for (std::size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(all[i].kind, kinds[i % 3]);
        EXPECT_EQ(all[i].orbit.id, static_cast<int>(i % 3));
        EXPECT_DOUBLE_EQ(all[i].phase, 2.4 * static_cast<double>(i));
    }
    EXPECT_LT(all[1].orbit.speed, 0) << "orbit 1 turns the other way";

    const double time = 100;
    const double side = 340;
    for (const auto& chip : all) {
        const double theta = chip.phase + chip.orbit.speed * time;
        EXPECT_DOUBLE_EQ(chip.angle(time), theta);
        const double depth = (std::sin(theta) + 1) / 2;
        const auto placed = chip.placement(side, time);
        EXPECT_NEAR(placed.scale, 0.65 + 0.45 * depth, 1e-9);
        EXPECT_NEAR(placed.opacity, 0.45 + 0.55 * depth, 1e-9);
        EXPECT_EQ(placed.z, std::sin(theta) > 0 ? 2 : 0);
        const double x0 = side * chip.orbit.radius * std::cos(theta);
        const double y0 = side * chip.orbit.radius * chip.orbit.flatness * std::sin(theta);
        const double tilt = chip.orbit.tiltDegrees * pi / 180;
        EXPECT_NEAR(placed.x, side / 2 + x0 * std::cos(tilt) - y0 * std::sin(tilt), 1e-6) << chip.id;
        EXPECT_NEAR(placed.y, side / 2 + x0 * std::sin(tilt) + y0 * std::cos(tilt), 1e-6) << chip.id;
    }
    // Nearest and furthest: sin θ = 1 and −1 for chip 0 (phase 0, speed 0.45).
    const auto front = all[0].placement(side, (pi / 2) / 0.45);
    EXPECT_NEAR(front.scale, 1.1, 1e-9);
    EXPECT_NEAR(front.opacity, 1.0, 1e-9);
    EXPECT_EQ(front.z, 2);
    const auto back = all[0].placement(side, (3 * pi / 2) / 0.45);
    EXPECT_NEAR(back.scale, 0.65, 1e-9);
    EXPECT_EQ(back.z, 0);
}

TEST(TickScenesTest, TheLoginWindowOnEveryFourthTickOnlyWithMotion) {
    struct Case {
        double time;
        bool reduceMotion;
        bool showsLogin;
    };
    const std::vector<Case> cases{
        {1.6 * 400 + 0.1, false, true}, {1.6 * 401 + 0.1, false, false}, {1.6 * 403 + 0.1, false, false},
        {1.6 * 404 + 0.1, false, true}, {1.6 * 400 + 0.1, true, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LoginItemScene::showsLoginWindow(c.time, c.reduceMotion), c.showsLogin) << c.time;
}

TEST(TickScenesTest, FeedRowsForEverySequenceNegativeOnesIncluded) {
    EXPECT_EQ(PushFeed::sampleIndex(1000), 0u);
    EXPECT_EQ(PushFeed::sampleIndex(999), 4u);
    EXPECT_EQ(PushFeed::sampleIndex(998), 3u);
    EXPECT_EQ(PushFeed::sampleIndex(-1), 4u);
    EXPECT_EQ(PushFeed::sampleIndex(-5), 0u);
    EXPECT_EQ(PushFeed::sampleIndex(-6), 4u);
    EXPECT_EQ(PushFeed::sequences(2.2 * 1000 + 0.1), (std::array<std::int64_t, 3>{1000, 999, 998}));
    EXPECT_EQ(PushFeed::sequences(0.1), (std::array<std::int64_t, 3>{0, -1, -2}));
    EXPECT_EQ(PushFeed::samples()[0].title, "Velto review");
    EXPECT_EQ(PushFeed::samples()[4].title, "Approved");
    EXPECT_EQ(PushFeed::samples()[3].title, "Pushed");
}

TEST(TickScenesTest, TerminalLinesByTheTickModuloNine) {
    ASSERT_EQ(TerminalScript::review().size(), 5u);
    EXPECT_EQ(TerminalScript::review()[0].text, "velto review");
    const int shown[] = {1, 2, 3, 4, 5, 5, 5, 5, 5};
    for (int beat = 0; beat < 18; ++beat) {
        const double time = 0.9 * (900 + beat) + 0.05; // 900 is a multiple of nine
        EXPECT_EQ(TerminalScript::linesShown(time, false), shown[beat % 9]) << beat;
        EXPECT_EQ(TerminalScript::linesShown(time, true), 5) << "reduced motion: the whole review";
    }
}

TEST(SpringTest, TheClosedFormDampedSpringOverItsDuration) {
    // 1 − e^(−ζωt) (cos ω_d t + ζω/ω_d sin ω_d t), with ω = 2π / response and ω_d = ω √(1 − ζ²).
    const auto expected = [](const Spring& spring, double seconds) {
        const double omega = 2 * pi / spring.response;
        const double zeta = spring.damping;
        const double damped = omega * std::sqrt(1 - zeta * zeta);
        return 1 - std::exp(-zeta * omega * seconds) *
                       (std::cos(damped * seconds) + zeta * omega / damped * std::sin(damped * seconds));
    };
    for (const auto& spring : {Motion::step, Motion::tile, Motion::feed, Motion::login}) {
        EXPECT_EQ(spring.value(0), 0);
        EXPECT_EQ(spring.value(1), 1) << "settled at the end";
        for (const double progress : {0.1, 0.25, 0.5, 0.75})
            EXPECT_NEAR(spring.value(progress), expected(spring, progress * spring.duration), 1e-9)
                << progress;
    }
    const auto curve = Motion::stepSpring();
    EXPECT_NEAR(curve.valueForProgress(0.25), Motion::step.value(0.25), 1e-9);
    EXPECT_EQ(Motion::stepDuration(), 1000);
    double highest = 0;
    for (int index = 0; index <= 100; ++index)
        highest = std::max(highest, Motion::tile.value(index / 100.0));
    EXPECT_GT(highest, 1.0) << "the tiles' spring overshoots";
}

} // namespace
} // namespace velto::testing
