import QtQuick
import Velto.Views

// One bullet line: a symbol in the accent colour in a 22-point column, and its text.
Row {
    id: point
    property string symbol
    property string text

    spacing: 6

    Item {
        width: 22
        height: Math.max(16, line.implicitHeight > 0 ? Math.min(line.implicitHeight, 18) : 16)
        SymbolImage {
            anchors.centerIn: parent
            width: 15
            height: 15
            name: point.symbol
            color: theme.accent
        }
    }
    PlainText {
        id: line
        width: point.width - 28
        text: point.text
        wrapMode: Text.Wrap
    }
}
