import QtQuick

// The time of a continuously moving picture: read from the clock on every frame (or at `frameRate`)
// while it moves and the window shows it; read once otherwise (with reduced motion the picture
// stands still).
Item {
    id: timeline
    required property var clock
    property bool moves: true
    /// Times a second the picture is drawn again while it moves; 0 for the display's pace.
    property real frameRate: 0
    property real time: clock.now()

    visible: false

    FrameAnimation {
        running: timeline.moves && timeline.clock.isRunning && !timeline.clock.reduceMotion
        onTriggered: {
            const now = timeline.clock.now()
            // Half a display frame early, so that 30 a second is every other frame at 60.
            if (timeline.frameRate <= 0 || Math.abs(now - timeline.time) >= 1 / timeline.frameRate - 0.008)
                timeline.time = now
        }
    }
    Connections {
        target: timeline.clock
        function onJumped() { timeline.time = timeline.clock.now() }
        function onIsRunningChanged() { timeline.time = timeline.clock.now() }
    }
}
