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
                            contextMenu.x = point.position.x
                            contextMenu.y = point.position.y
                            contextMenu.open()
                        }
                    }
                    PanelMenu {
                        id: contextMenu
                        objectName: "harnessMenu-" + harness.modelData.kind
                        PanelMenuItem {
                            objectName: "copyVersion"
                            text: "Copy Version"
                            onTriggered: card.menu.copyVersion(harness.index)
                        }
                        PanelMenuItem {
                            objectName: "agentSwitch"
                            visible: harness.modelData.switchTitle.length > 0
                            height: visible ? implicitHeight : 0
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
