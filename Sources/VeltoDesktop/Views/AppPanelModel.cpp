#include "VeltoDesktop/Views/AppPanelModel.hpp"

#include "VeltoDesktop/Model/AppModel.hpp"

namespace velto {

AppPanelModel::AppPanelModel(AppModel& model, QObject* parent) : PanelModel(parent), model_(model) {
    auto& organizations = model_.organizations();
    connect(&organizations, &OrganizationsModel::rowsChanged, this, &PanelModel::organizationsChanged);
    connect(&organizations, &OrganizationsModel::problemChanged, this, &PanelModel::problemChanged);
    connect(&model_, &AppModel::isPausedChanged, this, &PanelModel::isPausedChanged);
    for (auto changed : {&ScopesModel::deviceScopesChanged, &ScopesModel::scopeRefusalsChanged})
        connect(&model_.scopes(), changed, this, &PanelModel::scopesChanged);
    connect(&model_.photos(), &PhotosModel::organizationPhotosChanged, this,
            &PanelModel::organizationPhotosChanged);
    connect(&model_.updates(), &UpdatesModel::pendingVersionChanged, this, &PanelModel::menuInputChanged);
    for (auto changed : {&LoginItemModel::stateChanged, &LoginItemModel::refusalChanged})
        connect(&model_.loginItem(), changed, this, &PanelModel::menuInputChanged);
    for (auto changed : {&CommandLineModel::toolStateChanged, &CommandLineModel::toolRefusalChanged,
                         &CommandLineModel::isInstallingToolChanged})
        connect(&model_.commandLine(), changed, this, &PanelModel::menuInputChanged);
    connect(&model_.preferences(), &DevicePreferences::hasFinishedSetupChanged, this,
            &PanelModel::menuInputChanged);
    for (auto changed : {&HarnessesModel::statusesChanged, &HarnessesModel::isDetectingChanged,
                         &HarnessesModel::agentOutcomesChanged})
        connect(&model_.harnesses(), changed, this, &PanelModel::harnessesChanged);
    connect(&model_.preferences(), &DevicePreferences::monitoredAgentsChanged, this,
            &PanelModel::harnessesChanged);
}

QAbstractItemModel* AppPanelModel::organizationList() const {
    return model_.organizations().list();
}

const std::vector<EnrolledOrganization>& AppPanelModel::organizations() const {
    return model_.organizations().rows();
}

const std::optional<std::string>& AppPanelModel::problem() const {
    return model_.organizations().problem();
}

bool AppPanelModel::isPaused() const {
    return model_.isPaused();
}

OverallConnection AppPanelModel::overallConnection() const {
    return model_.organizations().overallConnection();
}

std::optional<DeviceScopes> AppPanelModel::scopes(const EnrolledOrganization& organization) const {
    return model_.scopes().scopes(organization);
}

const std::map<std::string, std::string>& AppPanelModel::scopeRefusals() const {
    return model_.scopes().scopeRefusals();
}

const std::map<std::string, QImage>& AppPanelModel::organizationPhotos() const {
    return model_.photos().organizationPhotos();
}

StatusMenuPresentation::Input AppPanelModel::menuInput() const {
    StatusMenuPresentation::Input input;
    input.setupProgress = model_.setupProgress();
    input.pendingUpdateVersion = model_.updates().pendingVersion();
    input.hasEnrollments = !model_.organizations().rows().empty();
    input.isPaused = model_.isPaused();
    input.loginItemState = model_.loginItem().state();
    if (model_.loginItem().refusal())
        input.loginItemRefusal = model_.loginItem().refusal()->message();
    input.commandLineToolState = model_.commandLine().toolState();
    input.commandLineToolRefusal = model_.commandLine().toolRefusal();
    input.isInstallingCommandLineTool = model_.commandLine().isInstallingTool();
    return input;
}

const std::vector<HarnessStatus>& AppPanelModel::harnesses() const {
    return model_.harnesses().statuses();
}

bool AppPanelModel::isDetectingHarnesses() const {
    return model_.harnesses().isDetecting();
}

const std::map<HarnessKind, AgentIntegrationOutcome>& AppPanelModel::agentOutcomes() const {
    return model_.harnesses().agentOutcomes();
}

bool AppPanelModel::offersAddOns() const {
    return model_.harnesses().agentResources().has_value();
}

bool AppPanelModel::worksWith(HarnessKind kind) const {
    return model_.preferences().monitoredAgents().count(kind) > 0;
}

void AppPanelModel::setPaused(bool paused) {
    model_.spawn("pause", model_.setPaused(paused));
}

void AppPanelModel::remove(const EnrolledOrganization& organization) {
    model_.spawn("remove an organization", model_.organizations().remove(organization));
}

void AppPanelModel::setScopeGranted(DeviceScope scope, bool isGranted, const std::string& deviceId) {
    model_.spawn("answer a scope", model_.scopes().setScopeGranted(scope, isGranted, deviceId));
}

void AppPanelModel::setOpensAtLogin(bool opens) {
    model_.loginItem().setOpensAtLogin(opens);
}

void AppPanelModel::installCommandLineTool() {
    model_.spawn("install the command-line tool",
                 [](CommandLineModel& commandLine) -> boost::asio::awaitable<void> {
                     co_await commandLine.installTool();
                 }(model_.commandLine()));
}

void AppPanelModel::setWorksWith(HarnessKind kind, bool worksWith) {
    model_.spawn("choose the add-ons", model_.harnesses().setWorksWith(kind, worksWith));
}

void AppPanelModel::refresh() {
    model_.spawn("detect the harnesses", model_.harnesses().refresh());
    model_.loginItem().refresh();
    model_.commandLine().refreshTool();
}

void AppPanelModel::closeMenu() {
    model_.closeMenu();
}

void AppPanelModel::presentSetup() {
    model_.presentSetup();
}

} // namespace velto
