#include "VeltoDesktop/Setup/SetupFlow.hpp"

#include "VeltoDesktop/AppLog.hpp"
#include "VeltoDesktop/Model/AssignNotifying.hpp"
#include "VeltoDesktop/Setup/SetupFinishing.hpp"
#include "VeltoDesktop/Setup/SetupFooterButtons.hpp"
#include "VeltoDesktop/Setup/StepDots.hpp"
#include "VeltoDevice/Support/Exceptions.hpp"

#include <boost/asio/co_spawn.hpp>
#include <boost/asio/post.hpp>

#include <QPointer>
#include <algorithm>
#include <exception>
#include <optional>

namespace velto {

namespace {

std::optional<SetupStep> neighbour(const std::vector<SetupStep>& steps, SetupStep of, int offset) {
    const auto found = std::find(steps.begin(), steps.end(), of);
    if (found == steps.end())
        return std::nullopt;
    const auto index = (found - steps.begin()) + offset;
    if (index < 0 || index >= static_cast<std::ptrdiff_t>(steps.size()))
        return std::nullopt;
    return steps[static_cast<std::size_t>(index)];
}

} // namespace

SetupFlow::SetupFlow(Dependencies dependencies, QObject* parent)
    : QObject(parent), dependencies_(std::move(dependencies)) {
    auto& d = dependencies_;
    const SetupTaskStart start = [this](std::string operation, boost::asio::awaitable<void> task) {
        spawn(std::move(operation), std::move(task));
    };
    pair_ = new PairPresenter(d.pair, d.opener, start, this);
    federation_ = new FederationPresenter(d.federation, this);
    monitoring_ = new MonitoringPresenter(d.monitoring, start, this);
    commandLineTool_ = new CommandLineToolPresenter(d.commandLineTool, this);
    openAtLogin_ = new OpenAtLoginPresenter(d.openAtLogin, this);

    // The states that pick the steps are read fresh, the login item first.
    openAtLogin_->refresh();
    commandLineTool_->refresh();
    for (auto step : allSetupSteps) {
        if (step == SetupStep::commandLineTool && !commandLineTool_->isOffered())
            continue;
        if (step == SetupStep::openAtLogin && !openAtLogin_->isOffered())
            continue;
        steps_.push_back(step);
    }

    connect(pair_, &PairPresenter::stageChanged, this, &SetupFlow::refreshFooter);
    connect(commandLineTool_, &CommandLineToolPresenter::isInstallingChanged, this,
            &SetupFlow::refreshFooter);
    footer_ = footer();
}

void SetupFlow::setBusy(bool busy) {
    if (busy == isBusy_)
        return;
    isBusy_ = busy;
    refreshFooter();
}

void SetupFlow::refreshFooter() {
    assignNotifying(*this, footer_, footer(), &SetupFlow::footerChanged);
}

void SetupFlow::spawn(std::string operation, boost::asio::awaitable<void> task) {
    boost::asio::co_spawn(dependencies_.main, std::move(task),
                          [operation = std::move(operation)](std::exception_ptr failure) {
                              if (failure)
                                  appLog().error("could not " + operation + ": " + describe(failure));
                          });
}

boost::asio::awaitable<void> SetupFlow::chooseFederation(bool lends) {
    if (isBusy_)
        co_return;
    QPointer<SetupFlow> self(this);
    const auto began = step_;
    setBusy(true);
    auto choosing = federation_->choose(lends);
    co_await std::move(choosing);
    if (!self)
        co_return;
    setBusy(false);
    if (step_ == began)
        advance();
}

void SetupFlow::chooseMonitoring(bool on) {
    if (isBusy_)
        return;
    monitoring_->choose(on);
    finishStep();
}

boost::asio::awaitable<void> SetupFlow::chooseCommandLineTool(bool install) {
    if (isBusy_)
        co_return;
    if (!install) {
        finishStep();
        co_return;
    }
    QPointer<SetupFlow> self(this);
    const auto began = step_;
    setBusy(true);
    auto installing = commandLineTool_->install();
    const bool installed = co_await std::move(installing);
    if (!self)
        co_return;
    setBusy(false);
    // A refused or cancelled install stays on the step, where the model's refusal shows.
    if (installed && step_ == began && step_ == SetupStep::commandLineTool)
        finishStep();
}

void SetupFlow::chooseOpenAtLogin(bool on) {
    if (isBusy_)
        return;
    if (openAtLogin_->choose(on))
        finishStep();
}

void SetupFlow::finishStep() {
    if (isOnLastStep()) {
        dependencies_.finishing.setHasFinishedSetup(true);
        dependencies_.finish();
        return;
    }
    advance();
}

void SetupFlow::move(SetupStep target, bool isForward) {
    const auto move = ++moves_;
    if (isForward == isMovingForward_) {
        if (assignNotifying(*this, step_, target, &SetupFlow::stepChanged))
            refreshFooter();
        return;
    }
    // The direction reaches the views one turn before the step, so that both the leaving and the
    // coming step slide the new way; the queued step goes when another move came first.
    isMovingForward_ = isForward;
    Q_EMIT isMovingForwardChanged();
    QPointer<SetupFlow> self(this);
    boost::asio::post(dependencies_.main, [self, move, target] {
        if (self && self->moves_ == move &&
            assignNotifying(*self, self->step_, target, &SetupFlow::stepChanged))
            self->refreshFooter();
    });
}

void SetupFlow::advance() {
    auto next = neighbour(steps_, step_, +1);
    if (!next)
        return;
    if (*next == SetupStep::monitoring)
        monitoring_->offerInstalledAgents();
    move(*next, true);
}

void SetupFlow::goBack() {
    if (auto previous = neighbour(steps_, step_, -1))
        move(*previous, false);
}

// The primary button is the step's yes, the secondary its no.
void SetupFlow::press(bool isPrimary) {
    if (isBusy_)
        return;
    switch (step_) {
    case SetupStep::pair:
        if (isPrimary && pair_->stage().kind() == PairStage::Case::paired)
            advance();
        break;
    case SetupStep::federation:
        spawn("choose whether to lend", chooseFederation(isPrimary));
        break;
    case SetupStep::monitoring:
        chooseMonitoring(isPrimary);
        break;
    case SetupStep::commandLineTool:
        if (!commandLineTool_->isInstalling())
            spawn("install the velto command", chooseCommandLineTool(isPrimary));
        break;
    case SetupStep::openAtLogin:
        chooseOpenAtLogin(isPrimary);
        break;
    }
}

void SetupFlow::pressBack() {
    if (isBusy_ || (step_ == SetupStep::commandLineTool && commandLineTool_->isInstalling()))
        return;
    goBack();
}

QVariantMap SetupFlow::footer() const {
    const auto buttons = SetupFooterButtons::of(step_, pair_->stage().kind(), isOnLastStep(), isBusy_,
                                                commandLineTool_->isInstalling());
    return {{QStringLiteral("showsBack"), buttons.showsBack},
            {QStringLiteral("secondary"), buttons.secondary.value_or(QString())},
            {QStringLiteral("primary"), buttons.primary.value_or(QString())},
            {QStringLiteral("isEnabled"), buttons.isEnabled}};
}

QVariantList SetupFlow::dots() const {
    QVariantList dots;
    for (const auto& dot : StepDots::of(step_, steps_).dots) {
        dots.push_back(QVariantMap{{QStringLiteral("isCurrent"), dot.isCurrent},
                                   {QStringLiteral("isFilled"), dot.isFilled}});
    }
    return dots;
}

QString SetupFlow::stepLabel() const {
    return StepDots::of(step_, steps_).label;
}

} // namespace velto
