import QtQuick

// A confirmation inside the organization card: the question, what it means, and Cancel beside the
// confirming button (prominent, or destructive for a removal).
Column {
    id: confirmation
    property var texts
    signal cancelled()
    signal confirmed()

    objectName: "confirmation"
    padding: 0
    topPadding: 6
    bottomPadding: 6
    leftPadding: 12
    rightPadding: 12
    spacing: 8

    PlainText {
        width: confirmation.width - 24
        text: confirmation.texts.headline
        font.weight: Font.DemiBold
        wrapMode: Text.Wrap
    }
    PlainText {
        width: confirmation.width - 24
        text: confirmation.texts.caption
        font.pixelSize: 11
        color: theme.secondary
        wrapMode: Text.Wrap
    }
    PlainText {
        width: confirmation.width - 24
        visible: confirmation.texts.note.length > 0
        text: confirmation.texts.note
        font.pixelSize: 11
        color: theme.secondary
        wrapMode: Text.Wrap
    }
    Row {
        anchors.right: parent.right
        anchors.rightMargin: 12
        spacing: 8
        GlassButton {
            objectName: "confirmationCancel"
            text: userTexts.cancel
            onClicked: confirmation.cancelled()
        }
        GlassButton {
            objectName: "confirmationConfirm"
            text: confirmation.texts.confirmTitle
            isProminent: !confirmation.texts.isDestructive
            isDestructive: confirmation.texts.isDestructive
            onClicked: confirmation.confirmed()
        }
    }
}
