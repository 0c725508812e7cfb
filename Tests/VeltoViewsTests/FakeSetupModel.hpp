#pragma once

#include "VeltoDesktop/Setup/CommandLineToolStepModel.hpp"
#include "VeltoDesktop/Setup/FederationStepModel.hpp"
#include "VeltoDesktop/Setup/MonitoringStepModel.hpp"
#include "VeltoDesktop/Setup/OpenAtLoginStepModel.hpp"
#include "VeltoDesktop/Setup/PairStepModel.hpp"
#include "VeltoDesktop/Setup/SetupFinishing.hpp"
#include "VeltoDesktop/Setup/SetupFlow.hpp"
#include "VeltoDesktop/System/PreferencesDomain.hpp"

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/steady_timer.hpp>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "TemporaryFolder.hpp"

namespace velto::testing {

/// The application model as the setup window sees it, set by a test: its state in public fields (the
/// setters notify as the model would), a narrow view per step over it, every call recorded in order in
/// `calls`, and the awaited operations parked until `release()` while `holdsAwaits` is on.
class FakeSetupModel final : public SetupFinishing {
public:
    /// Parked operations wait on timers of `waits` (the test loop's device context).
    explicit FakeSetupModel(boost::asio::any_io_executor waits);
    ~FakeSetupModel() override;

    /// What a flow over the views below needs, with the browser and the main thread's executor.
    SetupFlow::Dependencies flowDependencies(UrlOpening& opener, boost::asio::any_io_executor main);

    void refreshLoginItem() { calls.push_back("refreshLoginItem"); }
    void refreshCommandLineTool() { calls.push_back("refreshCommandLineTool"); }
    void propose(const EnrollmentLink& link);
    void dismissPrompt();
    boost::asio::awaitable<void> confirmEnrollment();
    void setLendsSubscriptions(bool lends);
    boost::asio::awaitable<void> announceHello();
    boost::asio::awaitable<void> agreeEverywhere(std::set<DeviceScope> scopes);
    void setMonitoredAgents(std::set<HarnessKind> agents);
    boost::asio::awaitable<void> reconcileAgents();
    boost::asio::awaitable<CommandLineToolInstall> installCommandLineTool();
    std::optional<LoginItemRefusal> setOpensAtLogin(bool opensAtLogin);
    void openLoginItemSettings() { calls.push_back("openLoginItemSettings"); }
    void setHasFinishedSetup(bool finished) override;

    // Changes as the model makes them, each with its signal.
    void setPrompt(std::optional<EnrollmentPrompt> value);
    void setEnrollments(std::vector<Enrollment> value);
    void setHarnesses(std::vector<HarnessStatus> value, bool isDetecting = false);
    void setSpending(bool value);
    void setCommandLineToolRefusal(std::optional<std::string> value);

    /// Lets every parked operation go on, and no longer parks new ones.
    void release();
    /// How many operations are parked.
    std::size_t parked() const { return timers_.size(); }

    TemporaryFolder folder;
    std::unique_ptr<EnrollmentForm> form;
    std::vector<std::string> calls;

    std::optional<EnrollmentPrompt> prompt;
    bool spending = false;
    std::vector<Enrollment> enrollmentList;
    std::vector<HarnessStatus> harnessList;
    bool detecting = false;
    LoginItemState loginState = LoginItemState::off;
    CommandLineToolState toolState = CommandLineToolState::notInstalled;
    std::optional<std::string> toolRefusal;
    bool installing = false;

    bool holdsAwaits = false;
    /// What an install answers.
    CommandLineToolInstall installOutcome = CommandLineToolInstall::installed();
    /// What a login item change answers, and the state after it.
    std::optional<LoginItemRefusal> loginRefusal;
    std::optional<LoginItemState> loginStateAfterChange;
    /// What an agent pass fails with, when set.
    std::optional<std::string> reconcileFailure;
    /// The enrollments a confirmed link joins; empty leaves the prompt failed.
    std::vector<Enrollment> joins;

    class PairStep final : public PairStepModel {
    public:
        explicit PairStep(FakeSetupModel& fake) : fake_(fake) {}
        const std::optional<EnrollmentPrompt>& enrollmentPrompt() const override { return fake_.prompt; }
        bool isSpending() const override { return fake_.spending; }
        std::vector<Enrollment> enrollments() const override { return fake_.enrollmentList; }
        EnrollmentForm& enrollmentForm() override { return *fake_.form; }
        void propose(const EnrollmentLink& link) override { fake_.propose(link); }
        void dismissPrompt() override { fake_.dismissPrompt(); }
        boost::asio::awaitable<void> confirmEnrollment() override { return fake_.confirmEnrollment(); }

    private:
        FakeSetupModel& fake_;
    };
    class FederationStep final : public FederationStepModel {
    public:
        explicit FederationStep(FakeSetupModel& fake) : fake_(fake) {}
        std::vector<Enrollment> enrollments() const override { return fake_.enrollmentList; }
        const std::vector<HarnessStatus>& harnesses() const override { return fake_.harnessList; }
        void setLendsSubscriptions(bool lends) override { fake_.setLendsSubscriptions(lends); }
        boost::asio::awaitable<void> announceHello() override { return fake_.announceHello(); }
        boost::asio::awaitable<void> agreeEverywhere(std::set<DeviceScope> scopes) override {
            return fake_.agreeEverywhere(std::move(scopes));
        }

    private:
        FakeSetupModel& fake_;
    };
    class MonitoringStep final : public MonitoringStepModel {
    public:
        explicit MonitoringStep(FakeSetupModel& fake) : fake_(fake) {}
        const std::vector<HarnessStatus>& harnesses() const override { return fake_.harnessList; }
        bool isDetectingHarnesses() const override { return fake_.detecting; }
        void setMonitoredAgents(std::set<HarnessKind> agents) override { fake_.setMonitoredAgents(agents); }
        boost::asio::awaitable<void> reconcileAgents() override { return fake_.reconcileAgents(); }

    private:
        FakeSetupModel& fake_;
    };
    class CommandLineToolStep final : public CommandLineToolStepModel {
    public:
        explicit CommandLineToolStep(FakeSetupModel& fake) : fake_(fake) {}
        CommandLineToolState commandLineToolState() const override { return fake_.toolState; }
        std::optional<std::string> commandLineToolRefusal() const override { return fake_.toolRefusal; }
        bool isInstallingCommandLineTool() const override { return fake_.installing; }
        void refreshCommandLineTool() override { fake_.refreshCommandLineTool(); }
        boost::asio::awaitable<CommandLineToolInstall> installCommandLineTool() override {
            return fake_.installCommandLineTool();
        }

    private:
        FakeSetupModel& fake_;
    };
    class OpenAtLoginStep final : public OpenAtLoginStepModel {
    public:
        explicit OpenAtLoginStep(FakeSetupModel& fake) : fake_(fake) {}
        LoginItemState loginItemState() const override { return fake_.loginState; }
        std::vector<Enrollment> enrollments() const override { return fake_.enrollmentList; }
        void refreshLoginItem() override { fake_.refreshLoginItem(); }
        std::optional<LoginItemRefusal> setOpensAtLogin(bool on) override {
            return fake_.setOpensAtLogin(on);
        }
        void openLoginItemSettings() override { fake_.openLoginItemSettings(); }

    private:
        FakeSetupModel& fake_;
    };

    // The views of each step, whose signals the setters above emit.
    PairStep pair{*this};
    FederationStep federation{*this};
    MonitoringStep monitoring{*this};
    CommandLineToolStep commandLineTool{*this};
    OpenAtLoginStep openAtLogin{*this};

private:
    boost::asio::awaitable<void> park();

    boost::asio::any_io_executor waits_;
    std::vector<std::shared_ptr<boost::asio::steady_timer>> timers_;
};

/// A server, device id, organization and user as the server would describe them.
Enrollment sampleEnrollment(const std::string& deviceId, const std::string& organization,
                            const std::string& login = "ana", std::optional<std::string> name = std::nullopt);
/// A link of the given codes on https://velto.example.
EnrollmentLink sampleLink(const std::vector<std::string>& codes);
HarnessStatus installedHarness(HarnessKind kind, LoginState login = LoginState::signedIn);

} // namespace velto::testing
