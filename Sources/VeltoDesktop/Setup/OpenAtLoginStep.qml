import QtQuick
import Velto.Views

// Opening at login; the notice tells what came of the last choice.
SetupStepLayout {
    id: step
    required property var flow
    required property var clock

    title: "Open Velto at login"
    message: "Velto works only while it's running. Have macOS open it when you log in, and it's in the menu bar before you need it."

    Column {
        width: parent ? parent.width : 330
        spacing: 12

        SetupPoint {
            width: parent.width
            symbol: "menubar-rectangle"
            text: "It stays in the menu bar, with no window or Dock icon."
        }
        SetupPoint {
            width: parent.width
            symbol: "switch-2"
            text: "Turn it off any time from Velto's menu."
        }
        SetupNoticeLine {
            width: parent.width
            notice: step.flow.loginNotice
        }
    }

    illustration: LoginItemIllustration {
        anchors.fill: parent
        enrollment: step.flow.firstEnrollment
        clock: step.clock
    }
}
