import QtQuick
import QtQuick.Templates as T
import Velto.Views

// Content that may be of any length: shown whole up to `maximumHeight`, else scrolled inside that
// height with a scroll bar beside it, so that what comes after it keeps its place.
Item {
    id: bounded
    property real maximumHeight: 100
    default property alias content: holder.data
    readonly property bool scrolls: holder.height > maximumHeight + 0.5
    /// The width the content lays out in: narrower by the scroll bar while it shows.
    readonly property real contentWidth: width - (scrolls ? 10 : 0)

    implicitHeight: Math.min(holder.height, Math.max(0, maximumHeight))
    height: implicitHeight
    clip: scrolls

    Flickable {
        id: scroller
        objectName: "boundedScroller"
        anchors.fill: parent
        contentWidth: width
        contentHeight: holder.height
        interactive: bounded.scrolls
        boundsBehavior: Flickable.StopAtBounds
        T.ScrollBar.vertical: T.ScrollBar {
            policy: T.ScrollBar.AlwaysOn
            width: 6
            minimumSize: 0.2
            visible: bounded.scrolls
            // The track shows too: in a short box the handle alone is easy to miss.
            background: Rectangle {
                implicitWidth: 4
                radius: 2
                color: theme.quaternary
            }
            contentItem: Rectangle {
                implicitWidth: 4
                radius: 2
                color: theme.tertiary
            }
        }

        Column {
            id: holder
            width: bounded.contentWidth
        }
    }
}
