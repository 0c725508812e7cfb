import QtQuick
import Velto.Views

// One line of the review: the prompt of a command, the badge of a finding, or a quiet note.
Row {
    id: view
    property var line: ({})
    property var palette: ({})
    readonly property string kind: line.kind || "note"

    spacing: 7

    PlainText {
        visible: view.kind === "command"
        text: "$"
        font.family: "monospace"
        font.pixelSize: 11
        color: view.palette.prompt || "orange"
    }
    Rectangle {
        anchors.verticalCenter: parent.verticalCenter
        visible: view.kind === "finding"
        width: badge.implicitWidth + 8
        height: badge.implicitHeight + 2
        radius: 4
        color: view.line.fill || "transparent"
        PlainText {
            id: badge
            anchors.centerIn: parent
            text: view.line.badge || ""
            font.family: "monospace"
            font.pixelSize: 9
            font.weight: Font.Bold
            color: view.line.lettering || "white"
        }
    }
    PlainText {
        text: view.line.text || ""
        font.family: "monospace"
        font.pixelSize: 11
        color: view.kind === "note" ? (view.palette.quiet || "gray") : (view.palette.text || "white")
    }
}
