import QtQuick
import Velto.Views

// The line under a step's points telling what came of the last choice, in its tint.
Item {
    id: line
    property var notice: ({})
    readonly property bool isShown: (notice.text || "").length > 0

    visible: isShown
    height: isShown ? label.height + 4 : 0

    PlainText {
        id: label
        y: 4
        width: parent.width
        text: line.notice.text || ""
        font.pixelSize: 12
        color: line.isShown ? theme.tint(line.notice.tint) : theme.red
        wrapMode: Text.Wrap
    }
}
