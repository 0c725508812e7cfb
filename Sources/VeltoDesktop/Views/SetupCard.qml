import QtQuick

// The reminder while first-run setup is unfinished.
GlassSurface {
    id: card
    property var menu

    objectName: "setupCard"
    implicitWidth: 344
    implicitHeight: column.implicitHeight + 24
    cornerRadius: 14

    Column {
        id: column
        x: 12
        y: 12
        width: parent.width - 24
        spacing: 8
        PlainText {
            width: parent.width
            text: card.menu.setupCard.title !== undefined ? card.menu.setupCard.title : ""
            font.weight: Font.DemiBold
            wrapMode: Text.Wrap
        }
        PlainText {
            width: parent.width
            text: card.menu.setupCard.explanation !== undefined ? card.menu.setupCard.explanation : ""
            font.pixelSize: 11
            color: theme.secondary
            wrapMode: Text.Wrap
        }
        Item {
            width: parent.width
            height: start.implicitHeight
            GlassButton {
                id: start
                objectName: "getStarted"
                anchors.right: parent.right
                text: userTexts.getStarted
                isProminent: true
                onClicked: card.menu.getStarted()
            }
        }
    }
}
