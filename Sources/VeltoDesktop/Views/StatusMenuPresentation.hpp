#pragma once

#include "VeltoDevice/CommandLineTool/CommandLineToolState.hpp"
#include "VeltoDevice/Enrollment/SetupProgress.hpp"
#include "VeltoDevice/LoginItem/LoginItemState.hpp"

#include <optional>
#include <string>
#include <vector>

namespace velto {

/// What the status menu shows below its cards, from the model's state: the waiting update, the
/// command rows in order, and the setup reminder.
struct StatusMenuPresentation {
    struct Input {
        SetupProgress setupProgress = SetupProgress::unpaired;
        std::optional<std::string> pendingUpdateVersion;
        bool hasEnrollments = false;
        bool isPaused = false;
        LoginItemState loginItemState = LoginItemState::unavailable;
        std::optional<std::string> loginItemRefusal;
        CommandLineToolState commandLineToolState = CommandLineToolState::unavailable;
        std::optional<std::string> commandLineToolRefusal;
        bool isInstallingCommandLineTool = false;
    };

    /// What a command does when clicked.
    enum class Action { addOrganizations, togglePause, openAtLogin, installCommandLineTool, quit };

    struct Command {
        Action action = Action::quit;
        std::string title;
        /// The shortcut's text at the trailing end ("Ctrl+P").
        std::optional<std::string> shortcut;
        bool isChecked = false;
        bool isEnabled = true;
        /// The red caption under the row.
        std::optional<std::string> refusal;

        friend bool operator==(const Command&, const Command&) = default;
    };

    struct SetupCard {
        std::string title;
        std::string explanation;

        friend bool operator==(const SetupCard&, const SetupCard&) = default;
    };

    /// "Update to <version> after this review".
    std::optional<std::string> pendingUpdate;
    std::vector<Command> commands;
    std::optional<SetupCard> setupCard;

    explicit StatusMenuPresentation(const Input& input);

    /// What the open-at-login item does in a state, read at the moment of the click.
    enum class LoginItemAction { turnOn, turnOff, openSettings, nothing };
    static LoginItemAction loginItemAction(LoginItemState state);
    /// Whether the action leaves the panel first (every one but the open-at-login switch and quit).
    static bool closesMenu(Action action, LoginItemState state);
};

} // namespace velto
