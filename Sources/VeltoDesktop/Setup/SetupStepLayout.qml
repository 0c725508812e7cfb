import QtQuick
import Velto.Views

// Every step's arrangement: the title (after the user's picture, when there is one), the message and
// the controls in a column 330 points wide, and the illustration in a 340-point glass square.
Item {
    id: layout
    property string title
    property string message
    /// The user's picture, as {address, initial}; none when empty.
    property var avatar: ({})
    default property alias controls: controlsHolder.data
    property alias illustration: illustrationHolder.data

    Row {
        anchors.centerIn: parent
        spacing: 36

        Column {
            anchors.verticalCenter: parent.verticalCenter
            width: 330
            spacing: 14

            Row {
                width: parent.width
                spacing: 12
                Avatar {
                    id: picture
                    visible: layout.avatar && layout.avatar.initial !== undefined
                    side: 38
                    address: visible ? layout.avatar.address : ""
                    initial: visible ? layout.avatar.initial : ""
                }
                PlainText {
                    width: parent.width - (picture.visible ? picture.width + parent.spacing : 0)
                    text: layout.title
                    font.pixelSize: 30
                    font.weight: Font.Bold
                    wrapMode: Text.Wrap
                    Accessible.role: Accessible.Heading
                }
            }
            PlainText {
                width: parent.width
                text: layout.message
                color: theme.secondary
                wrapMode: Text.Wrap
            }
            Item {
                width: parent.width
                height: controlsHolder.height + 6
                Column {
                    id: controlsHolder
                    y: 6
                    width: parent.width
                }
            }
        }

        GlassSurface {
            anchors.verticalCenter: parent.verticalCenter
            width: 340
            height: 340
            cornerRadius: 32
            clip: true
            Accessible.ignored: true

            Item {
                id: illustrationHolder
                anchors.fill: parent
            }
        }
    }
}
