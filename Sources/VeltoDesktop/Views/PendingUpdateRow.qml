import QtQuick

// The update that waits for the running review.
PlainText {
    objectName: "pendingUpdate"
    height: Math.max(28, implicitHeight)
    leftPadding: 12
    rightPadding: 12
    verticalAlignment: Text.AlignVCenter
    color: theme.secondary
    elide: Text.ElideRight
}
