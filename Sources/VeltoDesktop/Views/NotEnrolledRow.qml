import QtQuick

// The card's only row while this machine has no organization.
Item {
    implicitWidth: 344
    implicitHeight: 24
    ConnectionLabel {
        anchors.left: parent.left
        anchors.leftMargin: 12
        anchors.verticalCenter: parent.verticalCenter
        title: userTexts.notEnrolled
        tint: theme.secondary
    }
}
