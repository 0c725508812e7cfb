#include "VeltoDesktop/Setup/AppSetupModel.hpp"

#include "VeltoDesktop/AppModel.hpp"

namespace velto {

AppSetupModel::AppSetupModel(AppModel& model, std::function<void()> openSettings, QObject* parent)
    : SetupModel(parent), model_(model), openSettings_(std::move(openSettings)) {
    connect(&model_, &AppModel::enrollmentPromptChanged, this, &SetupModel::enrollmentPromptChanged);
    connect(&model_, &AppModel::enrollmentInFlightChanged, this, &SetupModel::enrollmentInFlightChanged);
    connect(&model_, &AppModel::organizationsChanged, this, &SetupModel::organizationsChanged);
    connect(&model_.harnesses(), &HarnessesModel::statusesChanged, this, &SetupModel::harnessesChanged);
    connect(&model_.harnesses(), &HarnessesModel::isDetectingChanged, this,
            &SetupModel::isDetectingHarnessesChanged);
    connect(&model_.loginItem(), &LoginItemModel::stateChanged, this, &SetupModel::loginItemStateChanged);
    connect(&model_.commandLine(), &CommandLineModel::toolStateChanged, this,
            &SetupModel::commandLineToolStateChanged);
    connect(&model_.commandLine(), &CommandLineModel::toolRefusalChanged, this,
            &SetupModel::commandLineToolRefusalChanged);
    connect(&model_.commandLine(), &CommandLineModel::isInstallingToolChanged, this,
            &SetupModel::isInstallingCommandLineToolChanged);
}

const std::optional<EnrollmentPrompt>& AppSetupModel::enrollmentPrompt() const {
    return model_.enrollmentPrompt();
}

bool AppSetupModel::isSpending() const {
    return model_.enrollmentInFlight().isSpending();
}

std::vector<Enrollment> AppSetupModel::enrollments() const {
    return model_.enrollments();
}

const std::vector<HarnessStatus>& AppSetupModel::harnesses() const {
    return model_.harnesses().statuses();
}

bool AppSetupModel::isDetectingHarnesses() const {
    return model_.harnesses().isDetecting();
}

LoginItemState AppSetupModel::loginItemState() const {
    return model_.loginItem().state();
}

CommandLineToolState AppSetupModel::commandLineToolState() const {
    return model_.commandLine().toolState();
}

std::optional<std::string> AppSetupModel::commandLineToolRefusal() const {
    return model_.commandLine().toolRefusal();
}

bool AppSetupModel::isInstallingCommandLineTool() const {
    return model_.commandLine().isInstallingTool();
}

EnrollmentForm& AppSetupModel::enrollmentForm() {
    return model_.enrollmentForm();
}

void AppSetupModel::refreshLoginItem() {
    model_.loginItem().refresh();
}

void AppSetupModel::refreshCommandLineTool() {
    model_.commandLine().refreshTool();
}

void AppSetupModel::propose(const EnrollmentLink& link) {
    model_.propose(link);
}

void AppSetupModel::dismissPrompt() {
    model_.promptClosed();
}

// The model's own coroutines are handed on, so that nothing of this object is needed once they run.
boost::asio::awaitable<void> AppSetupModel::confirmEnrollment() {
    return model_.confirmEnrollment();
}

void AppSetupModel::setLendsSubscriptions(bool lends) {
    model_.preferences().setLendsSubscriptions(lends);
}

boost::asio::awaitable<void> AppSetupModel::announceHello() {
    return model_.announceHello();
}

boost::asio::awaitable<void> AppSetupModel::agreeEverywhere(std::set<DeviceScope> scopes) {
    return model_.agreeEverywhere(std::move(scopes));
}

void AppSetupModel::setMonitoredAgents(std::set<HarnessKind> agents) {
    model_.preferences().setMonitoredAgents(std::move(agents));
}

boost::asio::awaitable<void> AppSetupModel::reconcileAgents() {
    return model_.harnesses().reconcileAgents();
}

boost::asio::awaitable<CommandLineToolInstall> AppSetupModel::installCommandLineTool() {
    return model_.commandLine().installTool();
}

std::optional<LoginItemRefusal> AppSetupModel::setOpensAtLogin(bool opensAtLogin) {
    return model_.loginItem().setOpensAtLogin(opensAtLogin);
}

void AppSetupModel::openLoginItemSettings() {
    if (openSettings_)
        openSettings_();
}

void AppSetupModel::setHasFinishedSetup(bool finished) {
    model_.preferences().setHasFinishedSetup(finished);
}

} // namespace velto
