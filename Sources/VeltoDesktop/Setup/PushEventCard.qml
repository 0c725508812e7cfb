import QtQuick
import Velto.Views

// One event of the feed: its symbol on a tinted disc, its title and detail, and a bolt.
GlassSurface {
    id: card
    required property string symbol
    required property color tint
    required property string title
    required property string detail

    height: 50
    cornerRadius: 16
    // A card never changes once made: drawn once, then moved and faded as one picture.
    layer.enabled: true
    layer.smooth: true

    Rectangle {
        id: disc
        x: 10
        anchors.verticalCenter: parent.verticalCenter
        width: 30
        height: 30
        radius: 15
        gradient: Gradient {
            GradientStop { position: 0; color: Qt.lighter(card.tint, 1.2) }
            GradientStop { position: 1; color: card.tint }
        }
        SymbolImage {
            anchors.centerIn: parent
            width: 14
            height: 14
            name: card.symbol
            color: "white"
        }
    }
    Column {
        anchors.left: disc.right
        anchors.leftMargin: 10
        anchors.right: bolt.left
        anchors.rightMargin: 10
        anchors.verticalCenter: parent.verticalCenter
        spacing: 1
        PlainText {
            width: parent.width
            text: card.title
            font.pixelSize: 12
            font.weight: Font.DemiBold
            elide: Text.ElideRight
        }
        PlainText {
            width: parent.width
            text: card.detail
            font.pixelSize: 10
            color: theme.secondary
            elide: Text.ElideRight
        }
    }
    SymbolImage {
        id: bolt
        anchors.right: parent.right
        anchors.rightMargin: 10
        anchors.verticalCenter: parent.verticalCenter
        width: 10
        height: 10
        name: "bolt-fill"
        color: "#f5c400"
    }
}
