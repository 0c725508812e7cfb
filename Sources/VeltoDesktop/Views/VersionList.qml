import QtQuick

// The card of harnesses: one row each with its context menu (Copy Version, the add-on switch) and
// the last add-on failure under it; a placeholder while none is known.
GlassSurface {
    id: card
    property var menu

    objectName: "versionList"
    implicitWidth: 344
    implicitHeight: column.implicitHeight + 12
    cornerRadius: 14

    Column {
        id: column
        y: 6
        width: parent.width

        PlainText {
            visible: card.menu.harnesses.length === 0
            width: parent.width
            height: Math.max(24, implicitHeight)
            leftPadding: 12
            rightPadding: 12
            verticalAlignment: Text.AlignVCenter
            text: card.menu.harnessPlaceholder
            font.pixelSize: 11
            color: theme.secondary
        }
        Repeater {
            model: card.menu.harnesses
            delegate: Column {
                id: harness
                required property var modelData
                required property int index
                width: column.width

                VersionRow {
                    id: versionRow
                    objectName: "harness-" + harness.modelData.kind
                    width: parent.width
                    label: harness.modelData.label
                    value: harness.modelData.value
                    tone: harness.modelData.tone
                    icon: HarnessLogo {
                        kind: harness.modelData.kind
                        isInstalled: harness.modelData.isInstalled
                    }
                    TapHandler {
                        acceptedButtons: Qt.RightButton
                        onTapped: (point) => {
                            // Whole within the card: a menu pressed against the window's
                            // edge would be narrowed and cut its titles.
                            contextMenu.x = Math.max(0, Math.min(point.position.x,
                                                                 versionRow.width - contextMenu.implicitWidth))
                            contextMenu.y = point.position.y
                            contextMenu.open()
                        }
                    }
                    PanelMenu {
                        id: contextMenu
                        objectName: "harnessMenu-" + harness.modelData.kind
                        PanelMenuItem {
                            objectName: "copyVersion"
                            text: userTexts.copyVersion
                            onTriggered: card.menu.copyVersion(harness.index)
                        }
                        PanelMenuItem {
                            objectName: "agentSwitch"
                            // By the title, not by `visible`: an entry is not visible while
                            // its menu is closed, and the menu takes its height at opening.
                            height: harness.modelData.switchTitle.length > 0 ? implicitHeight : 0
                            visible: height > 0
                            text: harness.modelData.switchTitle
                            onTriggered: card.menu.toggleAgent(harness.index)
                        }
                    }
                }
                PlainText {
                    visible: harness.modelData.failure.length > 0
                    width: parent.width
                    leftPadding: 12
                    rightPadding: 12
                    bottomPadding: 4
                    text: harness.modelData.failure
                    font.pixelSize: 11
                    color: theme.red
                    wrapMode: Text.Wrap
                    maximumLineCount: 3
                    elide: Text.ElideRight
                }
            }
        }
    }
}
