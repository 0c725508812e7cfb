import QtQuick
import QtQuick.Templates as T

// The one tooltip: an opaque card with a border, just below the pointer (`pointer`, in the parent's
// coordinates), kept inside the window, which the panel keeps on the screen.
T.ToolTip {
    id: tip
    property point pointer

    objectName: "tooltip"
    x: Math.round(pointer.x - implicitWidth / 2)
    y: Math.round(pointer.y + 18)
    margins: 4
    delay: 700
    padding: 6
    implicitWidth: Math.min(contentItem.implicitWidth, 300) + leftPadding + rightPadding
    implicitHeight: contentItem.implicitHeight + topPadding + bottomPadding
    contentItem: PlainText {
        text: tip.text
        font.pixelSize: 11
        wrapMode: Text.Wrap
    }
    background: Rectangle {
        radius: 6
        color: theme.window
        border.width: 1
        border.color: theme.tertiary
    }
}
