import QtQuick

// The time of a continuously moving picture: read from the clock on every frame while it moves and
// the window shows it; read once otherwise (with reduced motion the picture stands still).
Item {
    id: timeline
    required property var clock
    property bool moves: true
    property real time: clock.now()

    visible: false

    FrameAnimation {
        running: timeline.moves && timeline.clock.isRunning && !timeline.clock.reduceMotion
        onTriggered: timeline.time = timeline.clock.now()
    }
    Connections {
        target: timeline.clock
        function onJumped() { timeline.time = timeline.clock.now() }
        function onIsRunningChanged() { timeline.time = timeline.clock.now() }
    }
}
