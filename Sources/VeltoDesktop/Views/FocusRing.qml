import QtQuick

// The keyboard focus ring: an accent outline just inside the control that Tab moved to.
Rectangle {
    property Item control: parent
    property real cornerRadius: 6

    objectName: "focusRing"
    anchors.fill: parent
    anchors.margins: 1
    radius: Math.max(0, cornerRadius - 1)
    color: "transparent"
    border.width: 2
    border.color: theme.accent
    visible: control !== null && control.visualFocus
}
