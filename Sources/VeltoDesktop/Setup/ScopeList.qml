import QtQuick
import QtQuick.Templates as T
import Velto.Views

// The kinds of work, each with its switch, in a list at most 100 points high; a scope just switched
// on scrolls to the top so that its consent shows.
GlassSurface {
    id: list
    required property var federation

    /// 100 at most; less when the step has less room.
    property real maximumHeight: 100

    cornerRadius: 14
    isOverWindow: true
    height: Math.min(maximumHeight, rows.height)
    clip: true

    Flickable {
        id: scroller
        objectName: "scopeScroller"
        anchors.fill: parent
        contentHeight: rows.height
        boundsBehavior: Flickable.StopAtBounds
        T.ScrollBar.vertical: T.ScrollBar {
            id: bar
            policy: T.ScrollBar.AlwaysOn
            width: 6
            visible: scroller.contentHeight > scroller.height
            contentItem: Rectangle {
                implicitWidth: 4
                radius: 2
                color: theme.tertiary
            }
        }

        NumberAnimation {
            id: scrolling
            target: scroller
            property: "contentY"
            duration: 350
            easing.type: Easing.InOutQuad
        }

        Column {
            id: rows
            width: scroller.width

            Repeater {
                id: repeater
                model: list.federation.scopeRows.length
                Column {
                    id: entry
                    required property int index
                    readonly property var row: list.federation.scopeRows[index]
                    width: rows.width

                    function layOut() {
                        consentRow.layOut()
                        forceLayout()
                    }

                    Item {
                        width: parent.width
                        height: entry.index > 0 ? 1 : 0
                        Rectangle {
                            x: 12
                            width: parent.width - 24
                            height: 1
                            color: theme.hairline
                        }
                    }
                    ScopeConsentRow {
                        id: consentRow
                        width: parent.width
                        row: entry.row
                        onToggled: (isOn) => list.federation.setScope(entry.row.scope, isOn)
                    }
                }
            }
        }
    }

    Connections {
        target: list.federation
        function onScopeAgreed(scope) {
            // The rows move at the next frame: place them now, with the new consent shown, so that
            // the row's place and the list's height are the ones it scrolls in.
            for (let index = 0; index < repeater.count; ++index) {
                if (repeater.itemAt(index))
                    repeater.itemAt(index).layOut()
            }
            rows.forceLayout()
            for (let index = 0; index < repeater.count; ++index) {
                const item = repeater.itemAt(index)
                if (item && item.row.scope === scope) {
                    scrolling.to = Math.max(0, Math.min(item.y, scroller.contentHeight - scroller.height))
                    scrolling.restart()
                    return
                }
            }
        }
    }
}
