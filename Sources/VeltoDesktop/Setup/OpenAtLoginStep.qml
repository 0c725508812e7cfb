import QtQuick
import Velto.Views

// Opening at login; the notice tells what came of the last choice.
SetupStepLayout {
    id: step
    required property var presenter
    required property var clock

    title: userTexts.openAtLoginTitle
    message: userTexts.openAtLoginMessage

    Column {
        width: parent ? parent.width : 330
        spacing: 12

        SetupPoint {
            width: parent.width
            symbol: "menubar-rectangle"
            text: userTexts.openAtLoginTray
        }
        SetupPoint {
            width: parent.width
            symbol: "switch-2"
            text: userTexts.openAtLoginTurnOff
        }
        SetupNoticeLine {
            width: parent.width
            notice: step.presenter.notice
        }
    }

    illustration: LoginItemIllustration {
        anchors.fill: parent
        enrollment: step.presenter.firstEnrollment
        clock: step.clock
    }
}
