import QtQuick
import QtQuick.Templates as T

// The application's buttons: plain on the glass surface, prominent in the accent colour, destructive
// in red (which wins over prominent).
T.Button {
    id: button
    property bool isProminent: false
    property bool isDestructive: false
    readonly property color fill: isDestructive ? theme.red : (isProminent ? theme.accent : "transparent")

    implicitWidth: Math.max(64, label.implicitWidth + 28)
    implicitHeight: 26
    focusPolicy: Qt.NoFocus
    opacity: enabled ? 1 : 0.45

    contentItem: PlainText {
        id: label
        text: button.text
        font.pixelSize: 13
        font.weight: (button.isProminent || button.isDestructive) ? Font.DemiBold : Font.Normal
        color: (button.isProminent || button.isDestructive) ? "white" : theme.ink
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }

    background: Rectangle {
        radius: height / 2
        color: button.fill.a > 0 ? (button.down ? Qt.darker(button.fill, 1.15) : button.fill)
                                 : (button.down ? theme.quaternary
                                                : Qt.rgba(theme.window.r, theme.window.g, theme.window.b, 0.92))
        border.width: button.fill.a > 0 ? 0 : 1
        border.color: theme.hairline
    }
}
