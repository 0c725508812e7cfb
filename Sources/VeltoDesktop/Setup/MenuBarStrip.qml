import QtQuick
import Velto.Views

// A miniature menu bar: a desktop mark, then Velto's item highlighted, the network, the battery and
// the time.
GlassSurface {
    id: strip
    height: 30
    cornerRadius: 10

    SymbolImage {
        anchors.left: parent.left
        anchors.leftMargin: 12
        anchors.verticalCenter: parent.verticalCenter
        width: 13
        height: 13
        name: "desktop-mark"
    }

    Row {
        anchors.right: parent.right
        anchors.rightMargin: 10
        anchors.verticalCenter: parent.verticalCenter
        spacing: 11

        Rectangle {
            anchors.verticalCenter: parent.verticalCenter
            width: 26
            height: 22
            radius: 6
            color: theme.quaternary
            SymbolImage {
                anchors.centerIn: parent
                width: 14
                height: 14
                name: artwork.has("menu-bar-v") ? "menu-bar-v" : "circle-fill"
            }
        }
        SymbolImage {
            anchors.verticalCenter: parent.verticalCenter
            width: 14
            height: 14
            name: "wifi"
        }
        SymbolImage {
            anchors.verticalCenter: parent.verticalCenter
            width: 18
            height: 14
            name: "battery-100percent"
        }
        PlainText {
            anchors.verticalCenter: parent.verticalCenter
            text: "9:41"
            font.pixelSize: 12
            font.weight: Font.Medium
        }
    }
}
