#include "VeltoDesktop/Views/StatusMenuPresentation.hpp"

namespace velto {

StatusMenuPresentation::StatusMenuPresentation(const Input& input) {
    if (input.pendingUpdateVersion)
        pendingUpdate = "Update to " + *input.pendingUpdateVersion + " after this review";
    if (input.hasEnrollments) {
        commands.push_back(
            {Action::addOrganizations, "Add Organizations\u2026", std::nullopt, false, true, {}});
        commands.push_back({Action::togglePause,
                            input.isPaused ? "Resume Reviews" : "Pause Reviews",
                            "Ctrl+P",
                            false,
                            true,
                            {}});
    }
    if (input.loginItemState != LoginItemState::unavailable) {
        commands.push_back(
            {Action::openAtLogin,
             input.loginItemState == LoginItemState::needsApproval ? "Allow Open at Login\u2026"
                                                                   : "Open at Login",
             std::nullopt, input.loginItemState == LoginItemState::on, true, input.loginItemRefusal});
    }
    if (input.commandLineToolState == CommandLineToolState::notInstalled ||
        input.commandLineToolState == CommandLineToolState::taken) {
        commands.push_back({Action::installCommandLineTool, "Install Command Line Tool\u2026", std::nullopt,
                            false, !input.isInstallingCommandLineTool, input.commandLineToolRefusal});
    }
    commands.push_back({Action::quit, "Quit Velto", "Ctrl+Q", false, true, {}});
    if (input.setupProgress != SetupProgress::finished) {
        if (input.setupProgress == SetupProgress::pairedWithChoicesLeft)
            setupCard = SetupCard{"Finish setting up this Mac",
                                  "It's paired. Choose what it does for your organization."};
        else
            setupCard = SetupCard{"Set up this Mac",
                                  "Pair it with your organization's Velto, then choose what it does."};
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
