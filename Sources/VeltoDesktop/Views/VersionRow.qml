import QtQuick

// One label-and-value row: the icon, the label, the value in its tone's colour.
Item {
    id: row
    property string label
    property string value
    property int tone: 0 // 0 normal, 1 attention, 2 muted
    property alias icon: iconSlot.data

    implicitWidth: 344
    implicitHeight: 24

    Item {
        id: iconSlot
        anchors.left: parent.left
        anchors.leftMargin: 12
        anchors.verticalCenter: parent.verticalCenter
        width: 16
        height: 16
    }
    PlainText {
        id: labelText
        anchors.left: iconSlot.right
        anchors.leftMargin: 8
        anchors.verticalCenter: parent.verticalCenter
        text: row.label
        color: row.tone === 2 ? theme.tertiary : theme.secondary
        elide: Text.ElideRight
        width: Math.min(implicitWidth, parent.width - 160)
    }
    PlainText {
        anchors.right: parent.right
        anchors.rightMargin: 12
        anchors.left: labelText.right
        anchors.leftMargin: 8
        anchors.verticalCenter: parent.verticalCenter
        horizontalAlignment: Text.AlignRight
        text: row.value
        color: row.tone === 1 ? theme.orange : (row.tone === 2 ? theme.tertiary : theme.ink)
        elide: Text.ElideRight
    }
}
