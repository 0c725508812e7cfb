import QtQuick
import Velto.Views

// Installing the velto command; a refused install shows the model's refusal.
SetupStepLayout {
    id: step
    required property var flow
    required property var clock

    title: "Install the velto command"
    message: "Have Velto review your changes before you push, and read its findings, from Terminal or your coding agent."

    Column {
        width: parent ? parent.width : 330
        spacing: 12

        SetupPoint {
            width: parent.width
            symbol: "terminal"
            text: "velto review reviews your changes before you push. Nothing is posted."
        }
        SetupPoint {
            width: parent.width
            symbol: "lock"
            text: "It goes in /usr/local/bin, so macOS may ask for your password."
        }
        SetupNoticeLine {
            width: parent.width
            notice: step.flow.commandLineNotice
        }
    }

    illustration: TerminalIllustration {
        anchors.fill: parent
        clock: step.clock
    }
}
