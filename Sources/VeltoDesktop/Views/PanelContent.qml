import QtQuick

// The panel window's content: the status menu's card, with its shadow in a transparent margin while
// a compositor runs, capped in height (the card then scrolls), fading in over 0.12 s. Escape runs
// the closing steps; Ctrl+P and Ctrl+Q are the menu's shortcuts.
Item {
    id: content
    property var menu
    property var panel
    property bool hasShadow: false
    property real heightCap: 100000
    readonly property int margin: hasShadow ? 24 : 0
    readonly property real cardHeight: Math.min(menuCard.implicitHeight, heightCap)

    objectName: "panelContent"
    implicitWidth: 360 + 2 * margin
    implicitHeight: cardHeight + 2 * margin
    focus: true
    opacity: 0

    function fadeIn() {
        // Each opening starts at the top, whatever the last one scrolled to.
        scroller.contentY = 0
        menuCard.toTop()
        fade.stop()
        opacity = 0
        fade.start()
    }

    NumberAnimation {
        id: fade
        target: content
        property: "opacity"
        from: 0
        to: 1
        duration: 120
    }

    Keys.onEscapePressed: panel.escape()
    Shortcut {
        sequence: "Ctrl+P"
        onActivated: menuCard.runShortcut("Ctrl+P")
    }
    Shortcut {
        sequence: "Ctrl+Q"
        onActivated: menuCard.runShortcut("Ctrl+Q")
    }

    PanelShadow {
        card: frame
        cornerRadius: 22
        visible: content.hasShadow
    }
    Item {
        id: frame
        x: content.margin
        y: content.margin
        width: 360
        height: content.cardHeight
        Flickable {
            id: scroller
            anchors.fill: parent
            contentHeight: menuCard.implicitHeight
            interactive: contentHeight > height
            boundsBehavior: Flickable.StopAtBounds
            clip: interactive
            StatusMenu {
                id: menuCard
                menu: content.menu
                height: implicitHeight
            }
        }
        ScrollMark { flickable: scroller }
    }
}
