// One grab of the setup window per step and pair stage, and of each picture at two fixed times and
// with reduced motion, in the pinned font, checked against the goldens.
#include <gtest/gtest.h>

#include "Goldens.hpp"
#include "SetupWindowFixture.hpp"

namespace velto::testing {
namespace {

class SetupScreenshotTest : public SetupWindowFixture {
protected:
    void SetUp() override {
        model.harnessList = {installedHarness(HarnessKind::claudeCode),
                             installedHarness(HarnessKind::codex, LoginState::signedOut),
                             HarnessStatus::notInstalled(HarnessKind::muse)};
        model.form->setServerAddress("https://velto.example/");
    }
    void expectGrab(const std::string& name) {
        settle();
        expectMatchesGolden(window->window()->grabWindow(), "setup-" + name);
    }
    /// The same step at a second moment and with reduced motion.
    void expectPictures(const std::string& name) {
        expectGrab(name);
        setTime(pinnedTime + 0.7);
        expectGrab(name + "-later");
        window->clock()->setReduceMotion(true);
        expectGrab(name + "-reduced");
        window->clock()->setReduceMotion(false);
        setTime(pinnedTime);
    }
    void pair() {
        model.setEnrollments({sampleEnrollment("d1", "Acme", "ana", "Ana Lima")});
        settle();
    }
    void advance() {
        window->flow()->advance();
        settle();
    }
};

TEST_F(SetupScreenshotTest, PairStages) {
    shown();
    expectPictures("pair-address");
    window->flow()->setAddress("http://velto.example");
    window->flow()->openPairingPage();
    expectGrab("pair-address-error");
    window->flow()->setAddress("velto.example");
    opener.refuses = true;
    window->flow()->openPairingPage();
    expectGrab("pair-unopened");
    opener.refuses = false;
    window->flow()->openPairingPage();
    expectPictures("pair-waiting");
    window->flow()->setShowsCodeEntry(true);
    expectGrab("pair-code-entry");
    model.setPrompt(EnrollmentPrompt::confirming(EnrollmentGate(sampleLink({"7KQ2-MX9D"}))));
    expectGrab("pair-confirming");
    model.setPrompt(
        EnrollmentPrompt::confirming(EnrollmentGate(sampleLink({"7KQ2-MX9D", "AAAA-1111", "BBBB-2222"}))));
    expectGrab("pair-confirming-three");
    model.setPrompt(EnrollmentPrompt::enrolling(EnrollmentGate(sampleLink({"7KQ2-MX9D"})).proposal()));
    expectPictures("pair-pairing");
    model.setPrompt(EnrollmentPrompt::failed("Velto did not accept that code."));
    expectGrab("pair-failed");
    model.setPrompt(std::nullopt);
    pair();
    expectGrab("pair-paired");
}

TEST_F(SetupScreenshotTest, LaterSteps) {
    shown();
    pair();
    advance();
    expectPictures("federation");
    window->flow()->setAgreement(DeviceScope::sreQuestions, true);
    window->flow()->setAgreement(DeviceScope::sreReach, true);
    expectGrab("federation-agreed");
    advance();
    expectPictures("monitoring");
    advance();
    expectPictures("command-line-tool");
    model.setCommandLineToolRefusal("Another program is there now. Remove it, then install again.");
    expectGrab("command-line-tool-refused");
    advance();
    expectPictures("open-at-login");
    model.loginStateAfterChange = LoginItemState::needsApproval;
    window->flow()->chooseOpenAtLogin(true);
    expectGrab("open-at-login-approval");
}

} // namespace
} // namespace velto::testing
