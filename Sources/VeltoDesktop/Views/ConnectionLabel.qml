import QtQuick

// A connection's dot in its tint and its title.
Row {
    property string title
    property color tint: theme.secondary

    spacing: 6
    Rectangle {
        anchors.verticalCenter: parent.verticalCenter
        width: 7
        height: 7
        radius: 3.5
        color: parent.tint
    }
    PlainText {
        anchors.verticalCenter: parent.verticalCenter
        text: parent.title
        font.pixelSize: 12
        color: theme.secondary
    }
}
