import QtQuick
import QtQuick.Templates as T

// A menu drawn inside the panel's own scene.
T.Menu {
    id: menu
    padding: 4
    implicitWidth: Math.max(200, contentItem.contentWidth + 8)
    implicitHeight: contentItem.contentHeight + 8
    delegate: PanelMenuItem {}

    contentItem: ListView {
        implicitHeight: contentHeight
        contentWidth: 240
        model: menu.contentModel
        interactive: false
        clip: true
        currentIndex: menu.currentIndex
    }
    background: GlassSurface {
        cornerRadius: 8
        color: theme.window
    }
}
