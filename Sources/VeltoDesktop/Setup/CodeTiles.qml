import QtQuick
import Velto.Views

// One code as tiles that spring in from left to right; the hyphen is an en dash without a tile.
Row {
    id: tiles
    property string code

    spacing: 5
    Accessible.role: Accessible.StaticText
    Accessible.name: userTexts.code + " " + code

    Repeater {
        model: tiles.code.length
        Item {
            id: tile
            required property int index
            readonly property string character: tiles.code.charAt(index)
            readonly property bool isDash: character === "-"

            width: isDash ? dash.implicitWidth : 30
            height: 40
            scale: 0.6
            opacity: 0
            Accessible.ignored: true

            GlassSurface {
                anchors.fill: parent
                visible: !tile.isDash
                cornerRadius: 10
            }
            PlainText {
                anchors.centerIn: parent
                visible: !tile.isDash
                text: tile.character
                font.family: "monospace"
                font.pixelSize: 20
                font.weight: Font.DemiBold
            }
            PlainText {
                id: dash
                anchors.centerIn: parent
                visible: tile.isDash
                text: "–"
                font.pixelSize: 20
                color: theme.tertiary
            }

            SequentialAnimation {
                running: true
                PauseAnimation { duration: tile.index * 40 }
                ParallelAnimation {
                    NumberAnimation {
                        target: tile; property: "scale"; to: 1
                        easing: setupMotion.tileSpring; duration: setupMotion.tileDuration
                    }
                    NumberAnimation {
                        target: tile; property: "opacity"; to: 1
                        easing: setupMotion.tileSpring; duration: setupMotion.tileDuration
                    }
                }
            }
        }
    }
}
