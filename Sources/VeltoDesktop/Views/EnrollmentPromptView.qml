import QtQuick

// The enrollment prompt: the proposal to confirm, the progress of spending its codes, what joined,
// or why nothing did. 420 wide; its height follows the content.
Rectangle {
    id: prompt
    property var controller

    objectName: "enrollmentPrompt"
    width: 420
    height: column.implicitHeight + 40
    color: theme.window
    focus: true

    Keys.onEscapePressed: if (controller.escapeCloses) controller.close()
    Keys.onReturnPressed: if (controller.returnIsDone) controller.close()
    Keys.onEnterPressed: if (controller.returnIsDone) controller.close()

    Column {
        id: column
        x: 20
        y: 20
        width: parent.width - 40
        spacing: 14

        // Confirming.
        PlainText {
            visible: prompt.controller.stage === "confirming" || prompt.controller.stage === "joined"
            width: parent.width
            text: prompt.controller.headline
            font.weight: Font.DemiBold
            wrapMode: Text.Wrap
        }
        PlainText {
            visible: prompt.controller.stage === "confirming"
            width: parent.width
            text: prompt.controller.warning
            color: theme.secondary
            wrapMode: Text.Wrap
        }
        Grid {
            visible: prompt.controller.stage === "confirming"
            columns: 2
            columnSpacing: 12
            rowSpacing: 6
            PlainText { text: userTexts.server; color: theme.secondary }
            Column {
                spacing: 2
                PlainText {
                    text: prompt.controller.authority
                    font.family: "DejaVu Sans Mono"
                    font.weight: Font.DemiBold
                }
                PlainText {
                    text: prompt.controller.address
                    font.family: "DejaVu Sans Mono"
                    font.pixelSize: 11
                    color: theme.secondary
                }
                PlainText {
                    visible: prompt.controller.cleartextNote.length > 0
                    text: prompt.controller.cleartextNote
                    font.pixelSize: 11
                    color: theme.orange
                }
            }
            PlainText { text: prompt.controller.codesLabel; color: theme.secondary }
            Column {
                spacing: 2
                Repeater {
                    model: prompt.controller.codes
                    delegate: TextEdit {
                        required property string modelData
                        text: modelData
                        textFormat: TextEdit.PlainText
                        readOnly: true
                        selectByMouse: true
                        color: theme.ink
                        font.family: "DejaVu Sans Mono"
                        font.pixelSize: 13
                    }
                }
            }
        }
        PlainText {
            visible: prompt.controller.stage === "confirming"
            width: parent.width
            text: prompt.controller.namingNote
            font.pixelSize: 11
            color: theme.secondary
            wrapMode: Text.Wrap
        }
        Row {
            visible: prompt.controller.stage === "confirming"
            anchors.right: parent.right
            spacing: 8
            GlassButton {
                objectName: "promptCancel"
                text: userTexts.cancel
                onClicked: prompt.controller.close()
            }
            GlassButton {
                objectName: "promptEnroll"
                text: userTexts.enroll
                isProminent: true
                onClicked: prompt.controller.enroll()
            }
        }

        // Enrolling.
        Column {
            visible: prompt.controller.stage === "enrolling"
            width: parent.width
            spacing: 8
            PlainText {
                objectName: "promptProgress"
                width: parent.width
                text: prompt.controller.progressTitle
                wrapMode: Text.Wrap
            }
            // Indeterminate: a third of the track sweeps across it, or stands in the middle
            // when the desktop asks for less motion.
            Rectangle {
                id: track
                width: parent.width
                height: 4
                radius: 2
                clip: true
                color: theme.quaternary
                Rectangle {
                    id: bar
                    objectName: "progressBar"
                    readonly property bool moves: prompt.controller.stage === "enrolling"
                                                  && !prompt.controller.reduceMotion
                    width: track.width / 3
                    height: track.height
                    radius: 2
                    color: theme.accent
                    x: moves ? position : track.width / 3
                    property real position: -width
                    NumberAnimation on position {
                        id: sweep
                        from: -bar.width
                        to: track.width
                        duration: 1400
                        loops: Animation.Infinite
                        running: bar.moves
                        easing.type: Easing.InOutQuad
                    }
                }
            }
        }

        // Joined.
        PlainText {
            visible: prompt.controller.stage === "joined" && prompt.controller.joinedAs.length > 0
            width: parent.width
            text: prompt.controller.joinedAs
            wrapMode: Text.Wrap
        }
        PlainText {
            visible: prompt.controller.stage === "joined" && prompt.controller.replaced.length > 0
            width: parent.width
            text: prompt.controller.replaced
            wrapMode: Text.Wrap
        }
        PlainText {
            visible: prompt.controller.stage === "joined" && prompt.controller.refusalSummary.length > 0
            width: parent.width
            text: prompt.controller.refusalSummary
            color: theme.orange
            wrapMode: Text.Wrap
        }
        PlainText {
            visible: prompt.controller.stage === "joined"
            width: parent.width
            text: prompt.controller.expectation
            font.pixelSize: 11
            color: theme.secondary
            wrapMode: Text.Wrap
        }
        Row {
            visible: prompt.controller.stage === "joined"
            anchors.right: parent.right
            GlassButton {
                objectName: "promptDone"
                text: userTexts.done
                isProminent: true
                onClicked: prompt.controller.close()
            }
        }

        // Failed.
        Column {
            visible: prompt.controller.stage === "failed"
            width: parent.width
            spacing: 10
            PlainText {
                width: parent.width
                text: prompt.controller.headline
                font.weight: Font.DemiBold
            }
            PlainText {
                width: parent.width
                text: prompt.controller.message
                wrapMode: Text.Wrap
            }
            Item {
                width: parent.width
                height: closeButton.implicitHeight
                GlassButton {
                    id: closeButton
                    objectName: "promptClose"
                    anchors.right: parent.right
                    text: userTexts.close
                    onClicked: prompt.controller.close()
                }
            }
        }
    }
}
