import QtQuick
import Velto.Views

// The window's own close and minimise beads, and an inert third in the place of zoom. Both glyphs
// show while the pointer is over the row.
Row {
    id: controls
    required property var flow
    readonly property bool isHovered: hover.hovered

    spacing: 10

    HoverHandler { id: hover }

    component Bead: GlassSurface {
        id: bead
        property string symbol
        property string label
        signal pressed

        width: 16
        height: 16
        cornerRadius: 8
        isInteractive: true
        Accessible.role: Accessible.Button
        Accessible.name: label

        SymbolImage {
            anchors.centerIn: parent
            width: 8
            height: 8
            name: bead.symbol
            color: "black"
            inkOpacity: 0.6
            opacity: controls.isHovered ? 1 : 0
        }
        TapHandler {
            onTapped: bead.pressed()
        }
    }

    Bead {
        objectName: "closeBead"
        tint: Qt.rgba(1.0, 0.37, 0.34, 1)
        symbol: "xmark"
        label: userTexts.close
        onPressed: controls.flow.closeWindow()
    }
    Bead {
        objectName: "minimizeBead"
        tint: Qt.rgba(1.0, 0.74, 0.18, 1)
        symbol: "minus"
        label: userTexts.minimize
        onPressed: controls.flow.minimizeWindow()
    }
    GlassSurface {
        width: 16
        height: 16
        cornerRadius: 8
        opacity: 0.5
        Accessible.ignored: true
    }
}
