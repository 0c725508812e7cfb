#include "VeltoDesktop/Views/StatusMenuController.hpp"

#include "VeltoDesktop/Model/AppModel.hpp"
#include "VeltoDesktop/UserTexts.hpp"
#include "VeltoDesktop/Views/DisplayText.hpp"
#include "VeltoDesktop/Views/HarnessPresentation.hpp"
#include "VeltoDesktop/Views/ProfileBadge.hpp"
#include "VeltoDesktop/Views/StatusMenuPresentation.hpp"

#include <QClipboard>
#include <QGuiApplication>

namespace velto {

namespace {

StatusMenuPresentation::Input menuInput(const AppModel& model) {
    StatusMenuPresentation::Input input;
    input.setupProgress = model.setupProgress();
    input.pendingUpdateVersion = model.updates().pendingVersion();
    input.hasEnrollments = !model.organizations().empty();
    input.isPaused = model.isPaused();
    input.loginItemState = model.loginItem().state();
    if (model.loginItem().refusal())
        input.loginItemRefusal = model.loginItem().refusal()->message();
    input.commandLineToolState = model.commandLine().toolState();
    input.commandLineToolRefusal = model.commandLine().toolRefusal();
    input.isInstallingCommandLineTool = model.commandLine().isInstallingTool();
    return input;
}

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

template <typename Function> void call(const Function& function) {
    if (function)
        function();
}

} // namespace

StatusMenuController::StatusMenuController(AppModel& model, std::shared_ptr<UrlOpening> urls,
                                           std::function<void()> quit,
                                           std::function<void()> openLoginItemSettings, QObject* parent)
    : QObject(parent), model_(&model), urls_(urls), quit_(std::move(quit)),
      openLoginItemSettings_(std::move(openLoginItemSettings)), organizationList_(model, urls) {
    connect(&model, &AppModel::organizationsChanged, this, [this] {
        Q_EMIT headerChanged();
        Q_EMIT commandsChanged();
    });
    connect(&model, &AppModel::isPausedChanged, this, &StatusMenuController::commandsChanged);
    connect(&model.updates(), &UpdatesModel::pendingVersionChanged, this,
            &StatusMenuController::commandsChanged);
    for (auto changed : {&LoginItemModel::stateChanged, &LoginItemModel::refusalChanged})
        connect(&model.loginItem(), changed, this, &StatusMenuController::commandsChanged);
    for (auto changed : {&CommandLineModel::toolStateChanged, &CommandLineModel::toolRefusalChanged,
                         &CommandLineModel::isInstallingToolChanged})
        connect(&model.commandLine(), changed, this, &StatusMenuController::commandsChanged);
    connect(&model.preferences(), &DevicePreferences::hasFinishedSetupChanged, this,
            &StatusMenuController::commandsChanged);
    for (auto changed : {&HarnessesModel::statusesChanged, &HarnessesModel::isDetectingChanged,
                         &HarnessesModel::agentOutcomesChanged})
        connect(&model.harnesses(), changed, this, &StatusMenuController::harnessesChanged);
    connect(&model.preferences(), &DevicePreferences::monitoredAgentsChanged, this,
            &StatusMenuController::harnessesChanged);
}

QVariantMap StatusMenuController::header() const {
    if (!model_ || model_->organizations().empty())
        return {{"hasUser", false}};
    ProfileBadge badge(model_->organizations().front().enrollment.user);
    return {{"hasUser", true},
            {"name", badge.name},
            {"secondLine", badge.secondLine},
            {"initial", badge.initial},
            {"avatar", text(badge.avatarAddress)},
            {"tooltip", UserTexts::dashboardTooltip()}};
}

QVariantMap StatusMenuController::setupCard() const {
    if (!model_)
        return {};
    StatusMenuPresentation menu(menuInput(*model_));
    if (!menu.setupCard)
        return {};
    return {{"title", text(menu.setupCard->title)}, {"explanation", text(menu.setupCard->explanation)}};
}

QString StatusMenuController::pendingUpdate() const {
    if (!model_)
        return {};
    StatusMenuPresentation menu(menuInput(*model_));
    return menu.pendingUpdate ? DisplayText::line(*menu.pendingUpdate) : QString();
}

QVariantList StatusMenuController::commands() const {
    QVariantList out;
    if (!model_)
        return out;
    StatusMenuPresentation menu(menuInput(*model_));
    for (const auto& command : menu.commands)
        out.push_back(
            QVariantMap{{"title", text(command.title)},
                        {"shortcut", text(command.shortcut.value_or(""))},
                        {"isChecked", command.isChecked},
                        {"isEnabled", command.isEnabled},
                        {"refusal", command.refusal ? DisplayText::paragraph(*command.refusal) : QString()}});
    return out;
}

QVariantList StatusMenuController::harnesses() const {
    QVariantList out;
    if (!model_)
        return out;
    const auto& monitored = model_->preferences().monitoredAgents();
    const bool offersAddOns = model_->harnesses().agentResources().has_value();
    for (const auto& harness : model_->harnesses().statuses()) {
        HarnessPresentation presentation(harness);
        const std::string name(displayName(harness.kind));
        QString failure;
        auto outcome = model_->harnesses().agentOutcomes().find(harness.kind);
        if (outcome != model_->harnesses().agentOutcomes().end() &&
            outcome->second.kind == AgentIntegrationOutcome::Case::failed)
            failure = DisplayText::paragraph(UserTexts::harnessAddFailed(text(name)).toStdString() +
                                             outcome->second.reason);
        QString switchTitle;
        if (harness.installedTool() && offersAddOns)
            switchTitle = UserTexts::harnessSwitchTitle(text(name), monitored.count(harness.kind) > 0);
        out.push_back(QVariantMap{{"kind", text(std::string(rawValue(harness.kind)))},
                                  {"label", text(name)},
                                  {"value", DisplayText::line(presentation.value)},
                                  {"tone", static_cast<int>(presentation.tone)},
                                  {"isInstalled", presentation.tone != VersionTone::muted},
                                  {"failure", failure},
                                  {"switchTitle", switchTitle}});
    }
    return out;
}

QString StatusMenuController::harnessPlaceholder() const {
    if (!model_ || !model_->harnesses().statuses().empty())
        return {};
    return UserTexts::harnessesPlaceholder(model_->harnesses().isDetecting());
}

void StatusMenuController::openDashboard() {
    if (!model_ || model_->organizations().empty())
        return;
    const auto url = model_->organizations().front().enrollment.server.baseURL();
    model_->closeMenu();
    urls_->open(url);
}

void StatusMenuController::runCommand(int index) {
    if (!model_)
        return;
    StatusMenuPresentation menu(menuInput(*model_));
    if (index < 0 || index >= static_cast<int>(menu.commands.size()))
        return;
    const auto& command = menu.commands[static_cast<std::size_t>(index)];
    if (!command.isEnabled)
        return;
    const auto state = model_->loginItem().state();
    if (StatusMenuPresentation::closesMenu(command.action, state))
        model_->closeMenu();
    switch (command.action) {
    case StatusMenuPresentation::Action::addOrganizations:
        if (!model_->organizations().empty())
            urls_->open(model_->organizations().front().enrollment.server.macPairingPage());
        break;
    case StatusMenuPresentation::Action::togglePause:
        togglePause();
        break;
    case StatusMenuPresentation::Action::openAtLogin:
        switch (StatusMenuPresentation::loginItemAction(state)) {
        case StatusMenuPresentation::LoginItemAction::turnOn:
            model_->loginItem().setOpensAtLogin(true);
            break;
        case StatusMenuPresentation::LoginItemAction::turnOff:
            model_->loginItem().setOpensAtLogin(false);
            break;
        case StatusMenuPresentation::LoginItemAction::openSettings:
            call(openLoginItemSettings_);
            break;
        case StatusMenuPresentation::LoginItemAction::nothing:
            break;
        }
        break;
    case StatusMenuPresentation::Action::installCommandLineTool:
        model_->spawn("install the command-line tool",
                      [](CommandLineModel& commandLine) -> boost::asio::awaitable<void> {
                          co_await commandLine.installTool();
                      }(model_->commandLine()));
        break;
    case StatusMenuPresentation::Action::quit:
        quit();
        break;
    }
}

void StatusMenuController::togglePause() {
    if (!model_ || model_->organizations().empty())
        return;
    const bool paused = model_->isPaused();
    model_->spawn("pause", model_->setPaused(!paused));
}

void StatusMenuController::quit() {
    call(quit_);
}

void StatusMenuController::getStarted() {
    if (!model_)
        return;
    model_->closeMenu();
    model_->presentSetup();
}

void StatusMenuController::copyVersion(int index) {
    if (!model_ || index < 0 || index >= static_cast<int>(model_->harnesses().statuses().size()))
        return;
    HarnessPresentation presentation(model_->harnesses().statuses()[static_cast<std::size_t>(index)]);
    auto* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text(presentation.copyText));
}

void StatusMenuController::toggleAgent(int index) {
    if (!model_ || index < 0 || index >= static_cast<int>(model_->harnesses().statuses().size()))
        return;
    const auto& harness = model_->harnesses().statuses()[static_cast<std::size_t>(index)];
    if (!harness.installedTool() || !model_->harnesses().agentResources())
        return;
    const bool worksWith = model_->preferences().monitoredAgents().count(harness.kind) > 0;
    model_->spawn("choose the add-ons", model_->harnesses().setWorksWith(harness.kind, !worksWith));
}

void StatusMenuController::panelOpened() {
    if (!model_)
        return;
    model_->spawn("detect the harnesses", model_->harnesses().refresh());
    model_->loginItem().refresh();
    model_->commandLine().refreshTool();
}

void StatusMenuController::panelClosed() {
    organizationList_.clearConfirmations();
}

} // namespace velto
