import QtQuick
import Velto.Views

// The line under a step's points telling what came of the last choice, in its tint.
Item {
    id: line
    property var notice: ({})
    readonly property bool isShown: (notice.text || "").length > 0

    visible: isShown
    height: isShown ? bounded.height + 4 : 0

    // A refusal may be long: four lines of it at most, the rest scrolls.
    BoundedScroll {
        id: bounded
        y: 4
        width: parent.width
        maximumHeight: 64
        PlainText {
            id: label
            width: parent.width
            text: line.notice.text || ""
            font.pixelSize: 12
            color: line.isShown ? theme.tint(line.notice.tint) : theme.red
            wrapMode: Text.Wrap
        }
    }
}
