#pragma once

#include "VeltoDesktop/Setup/CommandLineToolPresenter.hpp"
#include "VeltoDesktop/Setup/FederationPresenter.hpp"
#include "VeltoDesktop/Setup/MonitoringPresenter.hpp"
#include "VeltoDesktop/Setup/OpenAtLoginPresenter.hpp"
#include "VeltoDesktop/Setup/PairPresenter.hpp"
#include "VeltoDesktop/Setup/SetupStep.hpp"

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/awaitable.hpp>

#include <cstdint>
#include <functional>
#include <vector>

namespace velto {

class CommandLineToolStepModel;
class FederationStepModel;
class MonitoringStepModel;
class OpenAtLoginStepModel;
class PairStepModel;
class SetupFinishing;
class UrlOpening;

/// One setup window's walk: the steps it takes in order, where it is and which way it last moved, a
/// presenter per step, and the footer whose choices ask the step's presenter and then move on; while
/// one awaits the model (busy), the others are refused. Main thread only; one flow per window.
class SetupFlow final : public QObject {
    Q_OBJECT
    Q_PROPERTY(int step READ stepValue NOTIFY stepChanged)
    Q_PROPERTY(bool isMovingForward READ isMovingForward NOTIFY isMovingForwardChanged)
    Q_PROPERTY(QVariantMap footer READ footer NOTIFY footerChanged)
    Q_PROPERTY(QVariantList dots READ dots NOTIFY stepChanged)
    Q_PROPERTY(QString stepLabel READ stepLabel NOTIFY stepChanged)
    Q_PROPERTY(QObject* pair READ pair CONSTANT)
    Q_PROPERTY(QObject* federation READ federation CONSTANT)
    Q_PROPERTY(QObject* monitoring READ monitoring CONSTANT)
    Q_PROPERTY(QObject* commandLineTool READ commandLineTool CONSTANT)
    Q_PROPERTY(QObject* openAtLogin READ openAtLogin CONSTANT)

public:
    /// What each step reads of the model, where setup ends, the browser, the main thread's executor,
    /// and the window's hooks: closing at the end of setup, closing as the user's close does, minimising.
    struct Dependencies {
        PairStepModel& pair;
        FederationStepModel& federation;
        MonitoringStepModel& monitoring;
        CommandLineToolStepModel& commandLineTool;
        OpenAtLoginStepModel& openAtLogin;
        SetupFinishing& finishing;
        UrlOpening& opener;
        boost::asio::any_io_executor main;
        std::function<void()> finish = [] {}, closeWindow = [] {}, minimizeWindow = [] {};
    };
    /// Reads the login item and then the command's link, and picks the steps by what they say.
    explicit SetupFlow(Dependencies dependencies, QObject* parent = nullptr);

    const std::vector<SetupStep>& steps() const { return steps_; }
    SetupStep step() const { return step_; }
    bool isMovingForward() const { return isMovingForward_; }
    bool isOnLastStep() const { return !steps_.empty() && step_ == steps_.back(); }
    bool isBusy() const { return isBusy_; }
    PairPresenter* pair() const { return pair_; }
    FederationPresenter* federation() const { return federation_; }
    MonitoringPresenter* monitoring() const { return monitoring_; }
    CommandLineToolPresenter* commandLineTool() const { return commandLineTool_; }
    OpenAtLoginPresenter* openAtLogin() const { return openAtLogin_; }

    boost::asio::awaitable<void> chooseFederation(bool lends);
    void chooseMonitoring(bool on);
    boost::asio::awaitable<void> chooseCommandLineTool(bool install);
    void chooseOpenAtLogin(bool on);
    /// On the last step, stores setup finished and then runs the finish hook; elsewhere advances.
    void finishStep();
    /// The step after this one (offering the installed agents before monitoring); nothing on the last.
    void advance();
    /// The step before this one; never undoes a choice.
    void goBack();

    Q_INVOKABLE void pressPrimary() { press(true); }
    Q_INVOKABLE void pressSecondary() { press(false); }
    Q_INVOKABLE void pressBack();
    Q_INVOKABLE void closeWindow() const { dependencies_.closeWindow(); }
    Q_INVOKABLE void minimizeWindow() const { dependencies_.minimizeWindow(); }
    int stepValue() const { return rawValue(step_); }
    QVariantMap footer() const;
    QVariantList dots() const;
    QString stepLabel() const;

Q_SIGNALS:
    void stepChanged();
    void isMovingForwardChanged();
    void footerChanged();

private:
    void move(SetupStep target, bool isForward);
    void setBusy(bool busy);
    void refreshFooter();
    void press(bool isPrimary);
    void spawn(std::string operation, boost::asio::awaitable<void> task);

    Dependencies dependencies_;
    PairPresenter* pair_;
    FederationPresenter* federation_;
    MonitoringPresenter* monitoring_;
    CommandLineToolPresenter* commandLineTool_;
    OpenAtLoginPresenter* openAtLogin_;
    std::vector<SetupStep> steps_;
    SetupStep step_ = SetupStep::pair;
    bool isMovingForward_ = true;
    bool isBusy_ = false;
    /// Counts moves, so that a step queued behind a direction change is dropped when another move came.
    std::uint64_t moves_ = 0;
    QVariantMap footer_;
};

} // namespace velto
