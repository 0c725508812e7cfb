import QtQuick
import Velto.Views

// Installing the velto command; a refused install shows the model's refusal.
SetupStepLayout {
    id: step
    required property var presenter
    required property var clock

    title: userTexts.commandLineToolTitle
    message: userTexts.commandLineToolMessage

    Column {
        width: parent ? parent.width : 330
        spacing: 12

        SetupPoint {
            width: parent.width
            symbol: "terminal"
            text: userTexts.commandLineToolReview
        }
        SetupPoint {
            width: parent.width
            symbol: "lock"
            text: userTexts.commandLineToolPassword
        }
        SetupNoticeLine {
            width: parent.width
            notice: step.presenter.notice
        }
    }

    illustration: TerminalIllustration {
        anchors.fill: parent
        clock: step.clock
    }
}
