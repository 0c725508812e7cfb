#pragma once

#include "VeltoDesktop/EnrollmentForm.hpp"
#include "VeltoDesktop/EnrollmentPrompt.hpp"
#include "VeltoDevice/CommandLineTool/CommandLineToolInstall.hpp"
#include "VeltoDevice/CommandLineTool/CommandLineToolState.hpp"
#include "VeltoDevice/Enrollment/Enrollment.hpp"
#include "VeltoDevice/Enrollment/EnrollmentLink.hpp"
#include "VeltoDevice/Enrollment/HarnessKind.hpp"
#include "VeltoDevice/Harness/HarnessStatus.hpp"
#include "VeltoDevice/LoginItem/LoginItemRefusal.hpp"
#include "VeltoDevice/LoginItem/LoginItemState.hpp"
#include "VeltoDevice/Scopes/DeviceScope.hpp"

#include <boost/asio/awaitable.hpp>

#include <QObject>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace velto {

/// What the setup window reads of the application model and the operations it calls on it. Each
/// signal follows a change of what its name says. Main thread only.
class SetupModel : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    ~SetupModel() override = default;

    virtual const std::optional<EnrollmentPrompt>& enrollmentPrompt() const = 0;
    /// Whether an approved proposal's codes are being spent.
    virtual bool isSpending() const = 0;
    /// One per organization row, in row order.
    virtual std::vector<Enrollment> enrollments() const = 0;
    virtual const std::vector<HarnessStatus>& harnesses() const = 0;
    virtual bool isDetectingHarnesses() const = 0;
    virtual LoginItemState loginItemState() const = 0;
    virtual CommandLineToolState commandLineToolState() const = 0;
    virtual std::optional<std::string> commandLineToolRefusal() const = 0;
    virtual bool isInstallingCommandLineTool() const = 0;
    /// The typed or pasted server address and code.
    virtual EnrollmentForm& enrollmentForm() = 0;

    virtual void refreshLoginItem() = 0;
    virtual void refreshCommandLineTool() = 0;
    virtual void propose(const EnrollmentLink& link) = 0;
    /// The prompt goes, unless a proposal is being spent.
    virtual void dismissPrompt() = 0;
    virtual boost::asio::awaitable<void> confirmEnrollment() = 0;
    virtual void setLendsSubscriptions(bool lends) = 0;
    /// Tells every organization the hello as it now stands.
    virtual boost::asio::awaitable<void> announceHello() = 0;
    virtual boost::asio::awaitable<void> agreeEverywhere(std::set<DeviceScope> scopes) = 0;
    virtual void setMonitoredAgents(std::set<HarnessKind> agents) = 0;
    virtual boost::asio::awaitable<void> reconcileAgents() = 0;
    virtual boost::asio::awaitable<CommandLineToolInstall> installCommandLineTool() = 0;
    virtual std::optional<LoginItemRefusal> setOpensAtLogin(bool opensAtLogin) = 0;
    /// Shows the desktop's list of what opens at login.
    virtual void openLoginItemSettings() = 0;
    virtual void setHasFinishedSetup(bool finished) = 0;

Q_SIGNALS:
    void enrollmentPromptChanged();
    void enrollmentInFlightChanged();
    void organizationsChanged();
    void harnessesChanged();
    void isDetectingHarnessesChanged();
    void loginItemStateChanged();
    void commandLineToolStateChanged();
    void commandLineToolRefusalChanged();
    void isInstallingCommandLineToolChanged();
};

} // namespace velto
