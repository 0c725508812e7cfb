import QtQuick
import Velto.Views

// One end of the pairing arc: a round glass tile with a symbol (or the brand glyph), and its label.
Column {
    id: node
    property string symbol
    property string glyph
    property string label

    spacing: 8

    GlassSurface {
        anchors.horizontalCenter: parent.horizontalCenter
        width: 84
        height: 84
        cornerRadius: 42
        SymbolImage {
            anchors.centerIn: parent
            visible: node.glyph.length === 0
            width: 30
            height: 30
            name: node.glyph.length === 0 ? node.symbol : ""
        }
        SymbolImage {
            anchors.fill: parent
            anchors.margins: 22
            visible: node.glyph.length > 0
            name: node.glyph
        }
    }
    PlainText {
        anchors.horizontalCenter: parent.horizontalCenter
        text: node.label
        font.pixelSize: 10
        font.weight: Font.Medium
        color: theme.secondary
    }
}
