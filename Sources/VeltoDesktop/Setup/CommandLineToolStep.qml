import QtQuick
import Velto.Views

// Installing the velto command; a refused install shows the model's refusal.
SetupStepLayout {
    id: step
    required property var flow
    required property var clock

    title: texts.commandLineToolTitle
    message: texts.commandLineToolMessage

    Column {
        width: parent ? parent.width : 330
        spacing: 12

        SetupPoint {
            width: parent.width
            symbol: "terminal"
            text: texts.commandLineToolReview
        }
        SetupPoint {
            width: parent.width
            symbol: "lock"
            text: texts.commandLineToolPassword
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
