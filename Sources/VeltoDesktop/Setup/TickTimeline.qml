import QtQuick

// The time of a stepping picture: read from the clock at the start of each tick of `period` (every
// `reducedPeriod` with reduced motion), while the window shows it.
Item {
    id: timeline
    required property var clock
    property real period: 1
    property real reducedPeriod: 3600
    readonly property real currentPeriod: clock.reduceMotion ? reducedPeriod : period
    property real time: clock.now()

    visible: false

    function read() {
        time = clock.now()
        ticker.interval = setupScenes.untilNextTick(time, currentPeriod)
        ticker.restart()
    }

    Timer {
        id: ticker
        running: timeline.clock.isRunning
        interval: setupScenes.untilNextTick(timeline.time, timeline.currentPeriod)
        onTriggered: timeline.read()
    }
    Connections {
        target: timeline.clock
        function onJumped() { timeline.read() }
        function onIsRunningChanged() { if (timeline.clock.isRunning) timeline.read() }
        function onReduceMotionChanged() { timeline.read() }
    }
}
