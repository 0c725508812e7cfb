import QtQuick
import Velto.Views

// A link of several codes: how many organizations it joins, and its codes in two columns.
Column {
    id: list
    property string countLine
    property var codes: []

    spacing: 8
    Accessible.role: Accessible.StaticText
    Accessible.name: countLine + ": " + codes.join(", ")

    PlainText {
        text: list.countLine
        font.pixelSize: 12
        font.weight: Font.Medium
    }
    // Up to three rows of codes show; more scroll inside the surface.
    GlassSurface {
        width: parent.width
        height: codeScroll.height + 24
        cornerRadius: 12

        BoundedScroll {
            id: codeScroll
            x: 12
            y: 12
            width: parent.width - 24
            maximumHeight: 64

            Grid {
                id: grid
                width: parent.width
                columns: 2
                rowSpacing: 6
                Repeater {
                    model: list.codes
                    SelectableText {
                        required property string modelData
                        width: grid.width / 2
                        text: modelData
                        font.family: "monospace"
                        font.weight: Font.DemiBold
                    }
                }
            }
        }
    }
}
