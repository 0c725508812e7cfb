import QtQuick
import QtQuick.Templates as T
import Velto.Views

// A button that reads as a link: its title in the accent colour, underlined under the pointer.
T.Button {
    id: button

    implicitWidth: label.implicitWidth
    implicitHeight: label.implicitHeight + 4
    focusPolicy: Qt.NoFocus
    padding: 0

    contentItem: PlainText {
        id: label
        text: button.text
        color: theme.accent
        font.pixelSize: 13
        font.underline: button.hovered
        verticalAlignment: Text.AlignVCenter
    }
    background: Item {}
}
