import QtQuick
import Velto.Views

// A small dark terminal typing out a sample review, one line every 0.9 s, then holding it and
// starting again; the whole review at once with reduced motion. Drawing only.
Item {
    id: picture
    required property var clock
    readonly property var lines: setupScenes.terminalLines()
    readonly property var palette: setupScenes.terminalPalette()
    readonly property int shown: setupScenes.terminalLinesShown(timeline.time, clock.reduceMotion)

    Accessible.ignored: true

    TickTimeline {
        id: timeline
        clock: picture.clock
        period: 0.9
    }

    Rectangle {
        anchors.fill: parent
        anchors.margins: 22
        radius: 16
        color: picture.palette.window
        clip: true

        Row {
            x: 12
            height: 30
            spacing: 6
            Repeater {
                model: 3
                Rectangle {
                    y: 10.5
                    width: 9
                    height: 9
                    radius: 4.5
                    color: Qt.rgba(0.32, 0.32, 0.32, 1)
                }
            }
        }

        Column {
            x: 14
            y: 30 + 14
            width: parent.width - 28
            spacing: 9

            Repeater {
                model: picture.lines.length
                TerminalLineView {
                    id: lineView
                    required property int index
                    readonly property bool isShown: index < picture.shown
                    width: parent ? parent.width : 0
                    line: picture.lines[index]
                    palette: picture.palette
                    opacity: isShown ? 1 : 0
                    visible: opacity > 0.01
                    // A line never changes: drawn once, then faded and lifted as one picture.
                    layer.enabled: true
                    transform: Translate {
                        y: lineView.isShown ? 0 : 4
                        Behavior on y {
                            enabled: !picture.clock.reduceMotion
                            NumberAnimation { easing: setupMotion.terminalEase; duration: setupMotion.terminalDuration }
                        }
                    }
                    Behavior on opacity {
                        enabled: !picture.clock.reduceMotion
                        NumberAnimation { easing: setupMotion.terminalEase; duration: setupMotion.terminalDuration }
                    }
                }
            }
        }
    }
}
