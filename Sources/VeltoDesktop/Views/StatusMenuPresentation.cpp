#include "VeltoDesktop/Views/StatusMenuPresentation.hpp"

#include "VeltoDesktop/UserTexts.hpp"

namespace velto {

namespace {

std::string text(const QString& shown) {
    return shown.toStdString();
}

} // namespace

StatusMenuPresentation::StatusMenuPresentation(const Input& input) {
    if (input.pendingUpdateVersion)
        pendingUpdate = text(UserTexts::pendingUpdate(QString::fromStdString(*input.pendingUpdateVersion)));
    if (input.hasEnrollments) {
        commands.push_back(
            {Action::addOrganizations, text(UserTexts::addOrganizations()), std::nullopt, false, true, {}});
        commands.push_back(
            {Action::togglePause, text(UserTexts::pauseReviews(input.isPaused)), "Ctrl+P", false, true, {}});
    }
    if (input.loginItemState != LoginItemState::unavailable) {
        commands.push_back(
            {Action::openAtLogin,
             text(UserTexts::openAtLogin(input.loginItemState == LoginItemState::needsApproval)),
             std::nullopt, input.loginItemState == LoginItemState::on, true, input.loginItemRefusal});
    }
    if (input.commandLineToolState == CommandLineToolState::notInstalled ||
        input.commandLineToolState == CommandLineToolState::taken) {
        commands.push_back({Action::installCommandLineTool, text(UserTexts::installCommandLineTool()),
                            std::nullopt, false, !input.isInstallingCommandLineTool,
                            input.commandLineToolRefusal});
    }
    commands.push_back({Action::quit, text(UserTexts::quit()), "Ctrl+Q", false, true, {}});
    if (input.setupProgress != SetupProgress::finished) {
        const bool isPaired = input.setupProgress == SetupProgress::pairedWithChoicesLeft;
        setupCard = SetupCard{text(UserTexts::setupCardTitle(isPaired)),
                              text(UserTexts::setupCardExplanation(isPaired))};
    }
}

StatusMenuPresentation::LoginItemAction StatusMenuPresentation::loginItemAction(LoginItemState state) {
    switch (state) {
    case LoginItemState::off:
        return LoginItemAction::turnOn;
    case LoginItemState::on:
        return LoginItemAction::turnOff;
    case LoginItemState::needsApproval:
        return LoginItemAction::openSettings;
    case LoginItemState::unavailable:
        return LoginItemAction::nothing;
    }
    return LoginItemAction::nothing;
}

bool StatusMenuPresentation::closesMenu(Action action, LoginItemState state) {
    switch (action) {
    case Action::quit:
        return false;
    case Action::openAtLogin:
        return loginItemAction(state) == LoginItemAction::openSettings;
    default:
        return true;
    }
}

} // namespace velto
