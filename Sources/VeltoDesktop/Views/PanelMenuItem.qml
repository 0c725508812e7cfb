import QtQuick
import QtQuick.Templates as T

// One entry of a PanelMenu; `isMarked` shows a checkmark that follows the model, not the click.
T.MenuItem {
    id: item
    property bool isMarked: false
    property bool isDestructive: false

    implicitWidth: 240
    implicitHeight: 24
    hoverEnabled: true
    opacity: enabled ? 1 : 0.45
    Accessible.name: text

    contentItem: Item {
        SymbolImage {
            anchors.left: parent.left
            anchors.leftMargin: 6
            anchors.verticalCenter: parent.verticalCenter
            width: 11
            height: 11
            visible: item.isMarked
            name: "checkmark"
            color: item.highlighted ? theme.accentInk : theme.ink
        }
        PlainText {
            anchors.left: parent.left
            anchors.leftMargin: 22
            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            text: item.text
            elide: Text.ElideRight
            color: item.highlighted ? theme.accentInk : (item.isDestructive ? theme.red : theme.ink)
        }
    }
    background: Rectangle {
        radius: 5
        color: item.highlighted ? theme.accentFill : "transparent"
    }
}
