import QtQuick
import QtQuick.Templates as T

// The top of the panel: the wordmark and the signed-in user; a click opens the dashboard.
T.AbstractButton {
    id: header
    property var menu
    readonly property var user: menu.header

    objectName: "menuHeader"
    implicitWidth: 344
    implicitHeight: Math.max(32, card.implicitHeight) + 24
    enabled: user.hasUser
    hoverEnabled: true
    focusPolicy: Qt.TabFocus
    Keys.onReturnPressed: clicked()
    Keys.onEnterPressed: clicked()
    onClicked: menu.openDashboard()

    background: GlassSurface {
        cornerRadius: 14
        isInteractive: header.user.hasUser
    }
    FocusRing { cornerRadius: 14 }
    contentItem: Item {
        Row {
            id: card
            anchors.fill: parent
            anchors.leftMargin: 12
            anchors.rightMargin: 12
            Wordmark {
                id: mark
                anchors.verticalCenter: parent.verticalCenter
                markHeight: 20
            }
        }
        ProfileBadge {
            anchors.right: parent.right
            anchors.rightMargin: 12
            anchors.verticalCenter: parent.verticalCenter
            visible: header.user.hasUser
            user: header.user.hasUser ? header.user : ({ avatar: "", initial: "", name: "", secondLine: "" })
        }
    }

    HoverHandler { id: pointerHover }
    PanelToolTip {
        id: tip
        visible: header.user.hasUser && header.hovered && header.user.tooltip.length > 0
        pointer: pointerHover.point.position
        text: header.user.hasUser ? header.user.tooltip : ""
    }
}
