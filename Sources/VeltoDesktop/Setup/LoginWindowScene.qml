import QtQuick
import Velto.Views

// The miniature login window: the user's picture and name over a password field.
Item {
    id: scene
    property var enrollment: ({})
    readonly property bool hasUser: enrollment.exists || false

    Column {
        anchors.centerIn: parent
        spacing: 12

        Item {
            anchors.horizontalCenter: parent.horizontalCenter
            width: 76
            height: 76
            Avatar {
                anchors.fill: parent
                visible: scene.hasUser
                side: 76
                address: scene.hasUser ? (scene.enrollment.userAddress || "") : ""
                initial: scene.hasUser ? (scene.enrollment.userInitial || "") : ""
            }
            SymbolImage {
                anchors.fill: parent
                visible: !scene.hasUser
                name: "person-crop-circle-fill"
                color: theme.secondary
            }
        }
        PlainText {
            anchors.horizontalCenter: parent.horizontalCenter
            width: Math.min(implicitWidth, 280)
            text: scene.enrollment.userTitle || userTexts.you
            font.pixelSize: 15
            font.weight: Font.DemiBold
            elide: Text.ElideRight
        }
        GlassSurface {
            anchors.horizontalCenter: parent.horizontalCenter
            width: dots.width + 32
            height: 30
            cornerRadius: 15
            Row {
                id: dots
                anchors.centerIn: parent
                spacing: 5
                Repeater {
                    model: 6
                    Rectangle {
                        width: 6
                        height: 6
                        radius: 3
                        color: theme.secondary
                    }
                }
            }
        }
    }
}
