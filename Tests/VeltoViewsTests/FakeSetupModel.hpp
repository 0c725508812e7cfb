#pragma once

#include "VeltoDesktop/PreferencesDomain.hpp"
#include "VeltoDesktop/Setup/SetupModel.hpp"

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/steady_timer.hpp>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "TemporaryFolder.hpp"

namespace velto::testing {

/// The setup window's model as a test sets it: its state in public fields (the setters notify as the
/// model would), every call recorded in order in `calls`, and the awaited operations parked until
/// `release()` while `holdsAwaits` is on.
class FakeSetupModel final : public SetupModel {
public:
    /// Parked operations wait on timers of `waits` (the test loop's device context).
    explicit FakeSetupModel(boost::asio::any_io_executor waits);
    ~FakeSetupModel() override;

    const std::optional<EnrollmentPrompt>& enrollmentPrompt() const override { return prompt; }
    bool isSpending() const override { return spending; }
    std::vector<Enrollment> enrollments() const override { return enrollmentList; }
    const std::vector<HarnessStatus>& harnesses() const override { return harnessList; }
    bool isDetectingHarnesses() const override { return detecting; }
    LoginItemState loginItemState() const override { return loginState; }
    CommandLineToolState commandLineToolState() const override { return toolState; }
    std::optional<std::string> commandLineToolRefusal() const override { return toolRefusal; }
    bool isInstallingCommandLineTool() const override { return installing; }
    EnrollmentForm& enrollmentForm() override { return *form; }

    void refreshLoginItem() override { calls.push_back("refreshLoginItem"); }
    void refreshCommandLineTool() override { calls.push_back("refreshCommandLineTool"); }
    void propose(const EnrollmentLink& link) override;
    void dismissPrompt() override;
    boost::asio::awaitable<void> confirmEnrollment() override;
    void setLendsSubscriptions(bool lends) override;
    boost::asio::awaitable<void> announceHello() override;
    boost::asio::awaitable<void> agreeEverywhere(std::set<DeviceScope> scopes) override;
    void setMonitoredAgents(std::set<HarnessKind> agents) override;
    boost::asio::awaitable<void> reconcileAgents() override;
    boost::asio::awaitable<CommandLineToolInstall> installCommandLineTool() override;
    std::optional<LoginItemRefusal> setOpensAtLogin(bool opensAtLogin) override;
    void openLoginItemSettings() override { calls.push_back("openLoginItemSettings"); }
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
    /// The enrollments a confirmed link joins; empty leaves the prompt failed.
    std::vector<Enrollment> joins;

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
