import QtQuick
import QtQuick.Templates as T

// One organization: its logo, name, connection and actions menu, and the detail and problem lines.
Column {
    id: row
    property var list
    required property string deviceId
    required property string name
    required property string tooltip
    required property string actionsLabel
    required property string connectionTitle
    required property int connectionTint
    required property string detail
    required property string problem
    required property string monogram
    required property string pictureAddress
    required property var scopeItems

    objectName: "organization-" + deviceId
    width: 344
    topPadding: 2
    bottomPadding: 2
    spacing: 2

    Item {
        id: line
        width: row.width
        height: 24
        HoverHandler { id: lineHover }
        PanelToolTip {
            id: tip
            visible: lineHover.hovered
            pointer: lineHover.point.position
            text: row.tooltip
        }
        OrganizationLogo {
            id: logo
            anchors.left: parent.left
            anchors.leftMargin: 12
            anchors.verticalCenter: parent.verticalCenter
            side: 18
            deviceId: row.deviceId
            address: row.pictureAddress
            monogram: row.monogram
        }
        PlainText {
            anchors.left: logo.right
            anchors.leftMargin: 8
            anchors.right: label.left
            anchors.rightMargin: 8
            anchors.verticalCenter: parent.verticalCenter
            text: row.name
            font.pixelSize: 12
            font.weight: Font.Medium
            elide: Text.ElideRight
            maximumLineCount: 1
        }
        ConnectionLabel {
            id: label
            anchors.right: actions.left
            anchors.rightMargin: 8
            anchors.verticalCenter: parent.verticalCenter
            title: row.connectionTitle
            tint: theme.tint(row.connectionTint)
        }
        T.AbstractButton {
            id: actions
            objectName: "actions-" + row.deviceId
            anchors.right: parent.right
            anchors.rightMargin: 12
            anchors.verticalCenter: parent.verticalCenter
            width: 18
            height: 18
            focusPolicy: Qt.TabFocus
            hoverEnabled: true
            Keys.onReturnPressed: clicked()
            Keys.onEnterPressed: clicked()
            Accessible.name: row.actionsLabel
            background: Rectangle {
                radius: width / 2
                color: actions.hovered || actions.down ? theme.quaternary : "transparent"
            }
            FocusRing { cornerRadius: 9 }
            contentItem: SymbolImage { name: "ellipsis"; color: theme.secondary }
            onClicked: menu.open()

            PanelMenu {
                id: menu
                objectName: "actionsMenu-" + row.deviceId
                y: actions.height + 2
                x: actions.width - width
                PanelMenuItem {
                    objectName: "openInVelto"
                    text: userTexts.openInVelto
                    onTriggered: row.list.openInVelto(row.deviceId)
                }
                PanelMenuSeparator {}
                PanelMenuItem {
                    readonly property var choice: row.scopeItems[0]
                    objectName: "scope-" + choice.scope
                    text: choice.title
                    isMarked: choice.isHeld
                    enabled: choice.isEnabled
                    onTriggered: choice.isHeld ? row.list.takeBack(row.deviceId, choice.scope)
                                               : row.list.askToAgree(row.deviceId, choice.scope)
                }
                PanelMenuItem {
                    readonly property var choice: row.scopeItems[1]
                    objectName: "scope-" + choice.scope
                    text: choice.title
                    isMarked: choice.isHeld
                    enabled: choice.isEnabled
                    onTriggered: choice.isHeld ? row.list.takeBack(row.deviceId, choice.scope)
                                               : row.list.askToAgree(row.deviceId, choice.scope)
                }
                PanelMenuItem {
                    readonly property var choice: row.scopeItems[2]
                    objectName: "scope-" + choice.scope
                    text: choice.title
                    isMarked: choice.isHeld
                    enabled: choice.isEnabled
                    onTriggered: choice.isHeld ? row.list.takeBack(row.deviceId, choice.scope)
                                               : row.list.askToAgree(row.deviceId, choice.scope)
                }
                PanelMenuSeparator {}
                PanelMenuItem {
                    objectName: "removeFromThisMac"
                    text: userTexts.removeFromThisComputer
                    isDestructive: true
                    onTriggered: row.list.askToRemove(row.deviceId)
                }
            }
        }
    }
    MenuHeaderDetails {
        x: 12
        width: row.width - 24
        detail: row.detail
        problem: row.problem
        visible: row.detail.length > 0 || row.problem.length > 0
    }
}
