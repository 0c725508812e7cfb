import QtQuick
import Velto.Views

// A miniature of Velto's menu: the wordmark and the user, the organization connected, and three
// commands with "Open at Login" checked.
GlassSurface {
    id: menu
    property var enrollment: ({})
    readonly property bool hasEnrollment: enrollment.exists || false

    width: 250
    height: content.height + 20
    cornerRadius: 18

    Column {
        id: content
        x: 6
        y: 14
        width: parent.width - 12
        spacing: 8

        Item {
            width: parent.width
            height: 22
            Wordmark {
                x: 10
                anchors.verticalCenter: parent.verticalCenter
                markHeight: 17
            }
            Avatar {
                anchors.right: parent.right
                anchors.rightMargin: 10
                anchors.verticalCenter: parent.verticalCenter
                visible: menu.hasEnrollment
                side: 22
                address: menu.hasEnrollment ? (menu.enrollment.userAddress || "") : ""
                initial: menu.hasEnrollment ? (menu.enrollment.userInitial || "") : ""
            }
        }

        Item {
            width: parent.width
            height: 26
            Row {
                x: 10
                anchors.verticalCenter: parent.verticalCenter
                width: parent.width - 20 - connection.width - 8
                spacing: 8
                OrganizationLogo {
                    anchors.verticalCenter: parent.verticalCenter
                    visible: menu.hasEnrollment
                    side: 18
                    deviceId: menu.hasEnrollment ? (menu.enrollment.deviceId || "") : ""
                    address: menu.hasEnrollment ? (menu.enrollment.organizationAddress || "") : ""
                    monogram: menu.enrollment.monogram || ""
                }
                PlainText {
                    anchors.verticalCenter: parent.verticalCenter
                    width: parent.width - (menu.hasEnrollment ? 26 : 0)
                    text: menu.enrollment.organizationName || userTexts.yourOrganization
                    font.pixelSize: 12
                    font.weight: Font.Medium
                    elide: Text.ElideRight
                }
            }
            ConnectionLabel {
                id: connection
                anchors.right: parent.right
                anchors.rightMargin: 10
                anchors.verticalCenter: parent.verticalCenter
                title: userTexts.connected
                tint: theme.green
            }
        }

        Column {
            width: parent.width
            spacing: 2
            Repeater {
                model: [
                    { title: userTexts.pauseReviews, shortcut: "Ctrl+P", isChecked: false },
                    { title: userTexts.openAtLogin, shortcut: "", isChecked: true },
                    { title: userTexts.quit, shortcut: "Ctrl+Q", isChecked: false }
                ]
                Rectangle {
                    required property var modelData
                    width: parent ? parent.width : 0
                    height: 28
                    radius: 12
                    color: modelData.isChecked ? Qt.rgba(theme.accent.r, theme.accent.g, theme.accent.b, 0.22)
                                               : "transparent"
                    PlainText {
                        x: 10
                        anchors.verticalCenter: parent.verticalCenter
                        text: modelData.title
                        font.pixelSize: 12
                    }
                    PlainText {
                        anchors.right: parent.right
                        anchors.rightMargin: 10
                        anchors.verticalCenter: parent.verticalCenter
                        visible: modelData.shortcut.length > 0
                        text: modelData.shortcut
                        font.pixelSize: 12
                        color: theme.secondary
                    }
                    SymbolImage {
                        anchors.right: parent.right
                        anchors.rightMargin: 10
                        anchors.verticalCenter: parent.verticalCenter
                        visible: modelData.isChecked
                        width: 10
                        height: 10
                        name: "checkmark"
                    }
                }
            }
        }
    }
}
