#include "VeltoDesktop/Views/StatusMenuController.hpp"

#include "VeltoDesktop/AppModel.hpp"
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
    input.pendingUpdateVersion = model.pendingUpdateVersion();
    input.hasEnrollments = !model.organizations().empty();
    input.isPaused = model.isPaused();
    input.loginItemState = model.loginItemState();
    if (model.loginItemRefusal())
        input.loginItemRefusal = model.loginItemRefusal()->message();
    input.commandLineToolState = model.commandLineToolState();
    input.commandLineToolRefusal = model.commandLineToolRefusal();
    input.isInstallingCommandLineTool = model.isInstallingCommandLineTool();
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
    for (auto changed : {&AppModel::isPausedChanged, &AppModel::pendingUpdateVersionChanged,
                         &AppModel::loginItemStateChanged, &AppModel::loginItemRefusalChanged,
                         &AppModel::commandLineToolStateChanged, &AppModel::commandLineToolRefusalChanged,
                         &AppModel::isInstallingCommandLineToolChanged})
        connect(&model, changed, this, &StatusMenuController::commandsChanged);
    connect(&model.preferences(), &DevicePreferences::hasFinishedSetupChanged, this,
            &StatusMenuController::commandsChanged);
    for (auto changed : {&AppModel::harnessesChanged, &AppModel::isDetectingHarnessesChanged,
                         &AppModel::agentOutcomesChanged})
        connect(&model, changed, this, &StatusMenuController::harnessesChanged);
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
    const bool offersAddOns = model_->agentResources().has_value();
    for (const auto& harness : model_->harnesses()) {
        HarnessPresentation presentation(harness);
        const std::string name(displayName(harness.kind));
        QString failure;
        auto outcome = model_->agentOutcomes().find(harness.kind);
        if (outcome != model_->agentOutcomes().end() &&
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
    if (!model_ || !model_->harnesses().empty())
        return {};
    return UserTexts::harnessesPlaceholder(model_->isDetectingHarnesses());
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
    const auto state = model_->loginItemState();
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
            model_->setOpensAtLogin(true);
            break;
        case StatusMenuPresentation::LoginItemAction::turnOff:
            model_->setOpensAtLogin(false);
            break;
        case StatusMenuPresentation::LoginItemAction::openSettings:
            call(openLoginItemSettings_);
            break;
        case StatusMenuPresentation::LoginItemAction::nothing:
            break;
        }
        break;
    case StatusMenuPresentation::Action::installCommandLineTool:
        model_->spawn("install the command-line tool", [](AppModel& model) -> boost::asio::awaitable<void> {
            co_await model.installCommandLineTool();
        }(*model_));
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
    if (!model_ || index < 0 || index >= static_cast<int>(model_->harnesses().size()))
        return;
    HarnessPresentation presentation(model_->harnesses()[static_cast<std::size_t>(index)]);
    auto* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text(presentation.copyText));
}

void StatusMenuController::toggleAgent(int index) {
    if (!model_ || index < 0 || index >= static_cast<int>(model_->harnesses().size()))
        return;
    const auto& harness = model_->harnesses()[static_cast<std::size_t>(index)];
    if (!harness.installedTool() || !model_->agentResources())
        return;
    const bool worksWith = model_->preferences().monitoredAgents().count(harness.kind) > 0;
    model_->spawn("choose the add-ons", model_->setWorksWith(harness.kind, !worksWith));
}

void StatusMenuController::panelOpened() {
    if (!model_)
        return;
    model_->spawn("detect the harnesses", model_->refreshHarnesses());
    model_->refreshLoginItem();
    model_->refreshCommandLineTool();
}

void StatusMenuController::panelClosed() {
    organizationList_.clearConfirmations();
}

} // namespace velto
