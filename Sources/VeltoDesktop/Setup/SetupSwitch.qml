import QtQuick
import QtQuick.Templates as T
import Velto.Views

// An on-off switch: a capsule in the accent colour when on, with a white knob.
T.Switch {
    id: control

    implicitWidth: 32
    implicitHeight: 18
    // Tab reaches it and Space toggles it, with the panel's focus ring.
    focusPolicy: Qt.StrongFocus
    opacity: enabled ? 1 : 0.45
    padding: 0

    indicator: Rectangle {
        width: 32
        height: 18
        radius: 9
        color: control.checked ? theme.accent : theme.quaternary
        border.width: control.checked ? 0 : 1
        border.color: theme.hairline

        Rectangle {
            x: control.checked ? parent.width - width - 2 : 2
            anchors.verticalCenter: parent.verticalCenter
            width: 14
            height: 14
            radius: 7
            color: "white"
            border.width: 0.5
            border.color: Qt.rgba(0, 0, 0, 0.15)
            Behavior on x {
                NumberAnimation { easing: setupMotion.stepSpring; duration: setupMotion.stepDuration }
            }
        }
    }
    contentItem: Item {}

    FocusRing {
        control: control
        anchors.margins: -3
        cornerRadius: 12
    }
}
