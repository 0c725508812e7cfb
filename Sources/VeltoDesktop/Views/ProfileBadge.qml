import QtQuick

// The user's picture with their name and second line.
Row {
    property var user

    spacing: 7
    Avatar {
        anchors.verticalCenter: parent.verticalCenter
        side: 30
        address: parent.user.avatar
        initial: parent.user.initial
    }
    Column {
        anchors.verticalCenter: parent.verticalCenter
        spacing: 1
        PlainText {
            width: Math.min(implicitWidth, 200)
            text: parent.parent.user.name
            font.pixelSize: 12
            font.weight: Font.DemiBold
            elide: Text.ElideRight
        }
        PlainText {
            width: Math.min(implicitWidth, 200)
            text: parent.parent.user.secondLine
            font.pixelSize: 11
            color: theme.secondary
            elide: Text.ElideRight
        }
    }
}
