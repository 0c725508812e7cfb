#include "VeltoDesktop/Views/StatusMenuController.hpp"

#include "VeltoDesktop/UserTexts.hpp"
#include "VeltoDesktop/Views/DisplayText.hpp"
#include "VeltoDesktop/Views/HarnessPresentation.hpp"
#include "VeltoDesktop/Views/ProfileBadge.hpp"
#include "VeltoDesktop/Views/StatusMenuPresentation.hpp"

#include <QClipboard>
#include <QGuiApplication>

namespace velto {

namespace {

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

template <typename Function> void call(const Function& function) {
    if (function)
        function();
}

} // namespace

StatusMenuController::StatusMenuController(PanelModel& model, std::shared_ptr<UrlOpening> urls,
                                           std::function<void()> quit,
                                           std::function<void()> openLoginItemSettings, QObject* parent)
    : QObject(parent), model_(&model), urls_(urls), quit_(std::move(quit)),
      openLoginItemSettings_(std::move(openLoginItemSettings)), organizationList_(model, urls) {
    connect(&model, &PanelModel::organizationsChanged, this, [this] {
        Q_EMIT headerChanged();
        Q_EMIT commandsChanged();
    });
    for (auto changed : {&PanelModel::isPausedChanged, &PanelModel::menuInputChanged})
        connect(&model, changed, this, &StatusMenuController::commandsChanged);
    connect(&model, &PanelModel::harnessesChanged, this, &StatusMenuController::harnessesChanged);
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
    StatusMenuPresentation menu(model_->menuInput());
    if (!menu.setupCard)
        return {};
    return {{"title", text(menu.setupCard->title)}, {"explanation", text(menu.setupCard->explanation)}};
}

QString StatusMenuController::pendingUpdate() const {
    if (!model_)
        return {};
    StatusMenuPresentation menu(model_->menuInput());
    return menu.pendingUpdate ? DisplayText::line(*menu.pendingUpdate) : QString();
}

QVariantList StatusMenuController::commands() const {
    QVariantList out;
    if (!model_)
        return out;
    StatusMenuPresentation menu(model_->menuInput());
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
    const bool offersAddOns = model_->offersAddOns();
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
            switchTitle = UserTexts::harnessSwitchTitle(text(name), model_->worksWith(harness.kind));
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
    const auto input = model_->menuInput();
    StatusMenuPresentation menu(input);
    if (index < 0 || index >= static_cast<int>(menu.commands.size()))
        return;
    const auto& command = menu.commands[static_cast<std::size_t>(index)];
    if (!command.isEnabled)
        return;
    const auto state = input.loginItemState;
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
        model_->installCommandLineTool();
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
    model_->setPaused(!paused);
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
    if (!harness.installedTool() || !model_->offersAddOns())
        return;
    model_->setWorksWith(harness.kind, !model_->worksWith(harness.kind));
}

void StatusMenuController::panelOpened() {
    if (!model_)
        return;
    model_->refresh();
}

void StatusMenuController::panelClosed() {
    organizationList_.clearConfirmations();
}

} // namespace velto
