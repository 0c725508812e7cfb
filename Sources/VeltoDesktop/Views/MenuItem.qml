import QtQuick
import QtQuick.Templates as T

// One command row of the menu: the title, the shortcut's text and a checkmark at the trailing end,
// a hover highlight in the accent colour.
T.AbstractButton {
    id: row
    property string shortcut
    property bool isChecked: false

    implicitWidth: 344
    implicitHeight: 28
    focusPolicy: Qt.TabFocus
    Keys.onReturnPressed: clicked()
    Keys.onEnterPressed: clicked()
    hoverEnabled: true
    opacity: enabled ? 1 : 0.45
    Accessible.role: Accessible.MenuItem
    Accessible.name: text
    Accessible.checked: isChecked

    background: GlassSurface {
        visible: row.hovered && row.enabled
        cornerRadius: 14
        tint: Qt.rgba(theme.accent.r, theme.accent.g, theme.accent.b, 0.35)
        isInteractive: true
    }
    FocusRing { cornerRadius: 14 }
    contentItem: Item {
        PlainText {
            anchors.left: parent.left
            anchors.leftMargin: 12
            anchors.right: trailing.left
            anchors.rightMargin: 8
            anchors.verticalCenter: parent.verticalCenter
            text: row.text
            elide: Text.ElideRight
        }
        Row {
            id: trailing
            anchors.right: parent.right
            anchors.rightMargin: 12
            anchors.verticalCenter: parent.verticalCenter
            spacing: 6
            PlainText {
                anchors.verticalCenter: parent.verticalCenter
                visible: row.shortcut.length > 0
                text: row.shortcut
                color: theme.secondary
            }
            SymbolImage {
                anchors.verticalCenter: parent.verticalCenter
                visible: row.isChecked
                width: 11
                height: 11
                name: "checkmark"
                color: theme.secondary
            }
        }
    }
}
