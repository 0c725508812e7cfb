#pragma once

#include "VeltoDesktop/Setup/SetupModel.hpp"

#include <functional>

namespace velto {

class AppModel;

/// The setup window's view of the application model: reads and calls pass straight through, and the
/// model's change signals are forwarded. The login items settings open through `openSettings`.
class AppSetupModel final : public SetupModel {
    Q_OBJECT

public:
    AppSetupModel(AppModel& model, std::function<void()> openSettings, QObject* parent = nullptr);

    const std::optional<EnrollmentPrompt>& enrollmentPrompt() const override;
    bool isSpending() const override;
    std::vector<Enrollment> enrollments() const override;
    const std::vector<HarnessStatus>& harnesses() const override;
    bool isDetectingHarnesses() const override;
    LoginItemState loginItemState() const override;
    CommandLineToolState commandLineToolState() const override;
    std::optional<std::string> commandLineToolRefusal() const override;
    bool isInstallingCommandLineTool() const override;
    EnrollmentForm& enrollmentForm() override;

    void refreshLoginItem() override;
    void refreshCommandLineTool() override;
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
    void openLoginItemSettings() override;
    void setHasFinishedSetup(bool finished) override;

private:
    AppModel& model_;
    std::function<void()> openSettings_;
};

} // namespace velto
