// One grab of the setup window per step and pair stage, and of each picture at two fixed times and
// with reduced motion, in the pinned font, checked against the goldens.
#include "VeltoDevice/Enrollment/EnrollmentError.hpp"
#include "VeltoDevice/Enrollment/EnrollmentResults.hpp"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QQuickItem>
#include <QRectF>
#include <QWheelEvent>
#include <QtQuickTest/quicktest.h>

#include "Goldens.hpp"
#include "SetupWindowFixture.hpp"

namespace velto::testing {
namespace {

/// When the second and the reduced-motion grab are taken, in seconds after the pinned time: each
/// picture's own ticks decide, so that no golden repeats the one beside it.
struct Moments {
    double later = 0.7;
    double reduced = 1.4;
    /// With reduced motion the picture shows what the later grab showed, although at another tick
    /// (or at the same one): it is checked against that grab instead of a golden of its own.
    bool reducedShowsLater = false;
};

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
        expectMatchesGolden(grab(), "setup-" + name);
    }
    QImage grab() { return window->window()->grabWindow().convertToFormat(QImage::Format_RGB32); }

    /// The same step at a second moment and with reduced motion at a third; no two of the grabs alike
    /// unless the picture has no third state to show.
    void expectPictures(const std::string& name, Moments moments = Moments()) {
        expectGrab(name);
        const auto base = grab();
        setTime(pinnedTime + moments.later);
        // A list lays its new rows out at the polish and starts their transitions there: one more
        // turn lets them end.
        settle();
        expectGrab(name + "-later");
        const auto later = grab();
        EXPECT_NE(base, later) << name << ": the later grab shows another moment";
        setTime(pinnedTime + moments.reduced);
        window->clock()->setReduceMotion(true);
        if (moments.reducedShowsLater) {
            settle();
            EXPECT_EQ(grab(), later) << name << " with reduced motion";
        } else {
            expectGrab(name + "-reduced");
            const auto reduced = grab();
            EXPECT_NE(later, reduced) << name;
            EXPECT_NE(base, reduced) << name;
        }
        window->clock()->setReduceMotion(false);
        setTime(pinnedTime);
        settle();
    }
    /// A picture that stands still: the same at any time and with reduced motion.
    void expectStill(const std::string& name) {
        expectGrab(name);
        const auto base = grab();
        setTime(pinnedTime + 0.7);
        settle();
        EXPECT_EQ(grab(), base) << name << " moved";
        window->clock()->setReduceMotion(true);
        settle();
        EXPECT_EQ(grab(), base) << name << " changed with reduced motion";
        window->clock()->setReduceMotion(false);
        setTime(pinnedTime);
        settle();
    }
    /// Nothing of the step reaches past the step's own area (into the header, the footer or off the
    /// window), and no text runs past its own width. Clipped content is checked up to its clip.
    void expectInsideTheStep(const std::string& name) {
        settle();
        auto* area = item("stepArea");
        ASSERT_TRUE(area) << name;
        const auto bounds =
            area->mapRectToScene(QRectF(0, 0, area->width(), area->height())).adjusted(-1, -1, 1, 1);
        std::vector<QQuickItem*> pending{area};
        int checked = 0;
        while (!pending.empty()) {
            auto* next = pending.back();
            pending.pop_back();
            for (auto* child : next->childItems()) {
                if (!child->isVisible() || child->opacity() <= 0.01 || child->width() <= 0 ||
                    child->height() <= 0)
                    continue;
                ++checked;
                const auto rect = child->mapRectToScene(QRectF(0, 0, child->width(), child->height()));
                const auto what = name + ": " + child->metaObject()->className() + " '" +
                                  child->objectName().toStdString() + "' " +
                                  child->property("text").toString().left(40).toStdString();
                EXPECT_TRUE(bounds.contains(rect)) << what << " at " << rect.x() << "," << rect.y() << " "
                                                   << rect.width() << "x" << rect.height();
                const auto contentWidth = child->property("contentWidth");
                if (!child->clip() && child->property("wrapMode").isValid() && contentWidth.isValid()) {
                    EXPECT_LE(contentWidth.toReal(), child->width() + 1) << what << " runs past its width";
                }
                if (!child->clip())
                    pending.push_back(child);
            }
        }
        EXPECT_GT(checked, 10) << name;
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
    expectStill("pair-address");
    window->flow()->pair()->setAddress("http://velto.example");
    window->flow()->pair()->openPairingPage();
    expectGrab("pair-address-error");
    window->flow()->pair()->setAddress("velto.example");
    opener.refuses = true;
    window->flow()->pair()->openPairingPage();
    expectGrab("pair-unopened");
    opener.refuses = false;
    window->flow()->pair()->openPairingPage();
    expectPictures("pair-waiting");
    window->flow()->pair()->setShowsCodeEntry(true);
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
    window->flow()->federation()->setAgreement(DeviceScope::sreQuestions, true);
    window->flow()->federation()->setAgreement(DeviceScope::sreReach, true);
    expectGrab("federation-agreed");
    advance();
    // The push feed ticks every 2.2 s: a card more at the next tick; reduced motion keeps the cards
    // of the tick it starts in.
    expectPictures("monitoring", {2.2, 2.2, true});
    advance();
    // The terminal ticks every 0.9 s: four lines at the pinned time, two after the loop restarts,
    // and the whole review with reduced motion.
    expectPictures("command-line-tool", {6.4, 6.4});
    model.setCommandLineToolRefusal("Another program is there now. Remove it, then install again.");
    expectGrab("command-line-tool-refused");
    advance();
    // The login window at the pinned tick, the desktop at the next; with reduced motion the desktop
    // alone, even at a login window's tick.
    expectPictures("open-at-login", {1.8, 0, true});
    model.loginStateAfterChange = LoginItemState::needsApproval;
    window->flow()->chooseOpenAtLogin(true);
    expectGrab("open-at-login-approval");
}

} // namespace
} // namespace velto::testing

namespace velto::testing {
namespace {

/// Ten codes on a link, each with a valid code of the alphabet.
std::vector<std::string> tenCodes() {
    std::vector<std::string> codes;
    for (int index = 0; index < 10; ++index)
        codes.push_back("7KQ2-MX" + std::string(1, "0123456789"[index]) + "D");
    return codes;
}

std::vector<CodeRefusal> refusalsOf(const std::vector<std::string>& codes) {
    const std::vector<std::string> reasons{EnrollmentError::proofRejected().what(),
                                           EnrollmentError::codeRejected().what(),
                                           EnrollmentError::keyAlreadyEnrolled().what()};
    std::vector<CodeRefusal> refusals;
    for (std::size_t index = 0; index < codes.size(); ++index)
        refusals.push_back({EnrollmentCode::fromTyped(codes[index]), reasons[index % reasons.size()]});
    return refusals;
}

const std::vector<std::string> longNames{
    "Northwind Pharmaceuticals International", "Contoso Biomedical Research Laboratories",
    "Fabrikam Manufacturing and Logistics Group", "Adventure Works Cycles Worldwide Holdings"};

TEST_F(SetupScreenshotTest, TheLongestTextsStayInsideTheWindow) {
    shown();
    // An address as long as the field keeps, in path segments, that no browser takes.
    std::string address = "velto.example";
    while (address.size() + 16 <= PairPresenter::maximumFieldLength)
        address += "/workspace-" + std::to_string(address.size() % 10000);
    window->flow()->pair()->setAddress(address);
    ASSERT_EQ(window->flow()->pair()->address(), address);
    opener.refuses = true;
    window->flow()->pair()->openPairingPage();
    ASSERT_TRUE(window->flow()->pair()->unopenedPage()) << "the long address is a server address";
    window->flow()->pair()->setShowsCodeEntry(true);
    expectInsideTheStep("unopened, long");
    expectGrab("long-pair-unopened");
    opener.refuses = false;
    window->flow()->pair()->setShowsCodeEntry(false);

    // Ten codes on a link to that server.
    std::vector<EnrollmentCode> codes;
    for (const auto& code : tenCodes())
        codes.push_back(EnrollmentCode::fromTyped(code));
    model.setPrompt(EnrollmentPrompt::confirming(
        EnrollmentGate(EnrollmentLink::fromCodes(VeltoServer::fromAddress("https://" + address), codes))));
    expectInsideTheStep("ten codes, long server");
    EXPECT_TRUE(item("pairThisMac")->isVisible());
    expectGrab("long-pair-confirming");

    // Ten codes refused.
    EnrollmentResults refused{{}, refusalsOf(tenCodes())};
    model.setPrompt(EnrollmentPrompt::failed(*refused.refusalSummary()));
    expectInsideTheStep("ten refusals");
    EXPECT_TRUE(item("tryAgain")->isVisible());
    expectGrab("long-pair-failed");
    {
        // The wheel over the message scrolls it; "Try Again" stays where it is.
        auto* scroller = item("boundedScroller");
        ASSERT_TRUE(scroller);
        ASSERT_GT(scroller->property("contentHeight").toReal(), scroller->height() * 1.5);
        const auto before = item("tryAgain")->mapToScene(QPointF(0, 0));
        const auto centre = scroller->mapToScene(QPointF(scroller->width() / 2, scroller->height() / 2));
        for (int turn = 0; turn < 20; ++turn) {
            QWheelEvent wheel(centre, window->window()->mapToGlobal(centre), QPoint(), QPoint(0, -120),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            wheel.setTimestamp(static_cast<quint64>(10'000 + 200 * turn));
            QGuiApplication::sendEvent(window->window(), &wheel);
            settle();
        }
        EXPECT_NEAR(scroller->property("contentY").toReal(),
                    scroller->property("contentHeight").toReal() - scroller->height(), 1)
            << "the last refusal comes into view";
        EXPECT_EQ(item("tryAgain")->mapToScene(QPointF(0, 0)), before);
    }

    // Four long names joined, six codes refused.
    EnrollmentResults mixed;
    std::vector<Enrollment> joined;
    for (std::size_t index = 0; index < longNames.size(); ++index) {
        joined.push_back(sampleEnrollment("d" + std::to_string(index), longNames[index], "ana", "Ana Lima"));
        mixed.joined.push_back({joined.back(), std::nullopt});
    }
    mixed.refusals =
        refusalsOf({"AAAA-1111", "AAAA-2222", "AAAA-3333", "AAAA-4444", "AAAA-5555", "AAAA-6666"});
    model.setPrompt(std::nullopt); // "Try Again", then a link that joins some
    settle();
    model.setPrompt(EnrollmentPrompt::joined(mixed));
    expectInsideTheStep("four long names");
    expectGrab("long-pair-paired");

    // A name that is one long word: the title shrinks until the word fits its line.
    model.setPrompt(std::nullopt);
    settle();
    EnrollmentResults oneWord;
    oneWord.joined.push_back(
        {sampleEnrollment("d9", "Pharmaceuticalsbiotechnology", "ana", "Ana Lima"), std::nullopt});
    model.setPrompt(EnrollmentPrompt::joined(oneWord));
    expectInsideTheStep("one long word");
    expectGrab("long-pair-paired-word");

    // The lending step names them all too.
    model.setPrompt(std::nullopt);
    model.setEnrollments(joined);
    advance();
    expectInsideTheStep("federation, four long names");
    window->flow()->federation()->setAgreement(DeviceScope::sreQuestions, true);
    window->flow()->federation()->setAgreement(DeviceScope::sreInvestigations, true);
    window->flow()->federation()->setAgreement(DeviceScope::sreReach, true);
    expectInsideTheStep("federation, every scope");
    expectGrab("long-federation");

    // A refusal of the command that quotes at length.
    advance();
    expectInsideTheStep("monitoring");
    advance();
    ASSERT_EQ(window->flow()->step(), SetupStep::commandLineTool);
    std::string refusal = "The administrator script failed:";
    while (refusal.size() < 1200)
        refusal += " install: cannot create symbolic link '/usr/local/bin/velto': Permission denied;";
    model.setCommandLineToolRefusal(refusal);
    expectInsideTheStep("command refused at length");
    expectGrab("long-command-line-tool-refused");
}

} // namespace
} // namespace velto::testing
