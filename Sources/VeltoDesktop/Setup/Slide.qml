import QtQuick

// One step's content as it slides in or out: 80 points along the direction of travel with a fade,
// carried by the step spring. A slide that has left removes itself.
Item {
    id: slide

    function enter(fromOffset) {
        x = fromOffset
        opacity = 0
        entering.start()
    }
    function leave(toOffset) {
        entering.stop()
        leaveX.to = toOffset
        leaving.start()
    }

    ParallelAnimation {
        id: entering
        NumberAnimation {
            target: slide; property: "x"; to: 0
            easing: setupMotion.stepSpring; duration: setupMotion.stepDuration
        }
        NumberAnimation {
            target: slide; property: "opacity"; to: 1
            easing: setupMotion.stepSpring; duration: setupMotion.stepDuration
        }
    }
    ParallelAnimation {
        id: leaving
        NumberAnimation {
            id: leaveX
            target: slide; property: "x"
            easing: setupMotion.stepSpring; duration: setupMotion.stepDuration
        }
        NumberAnimation {
            target: slide; property: "opacity"; to: 0
            easing: setupMotion.stepSpring; duration: setupMotion.stepDuration
        }
        onFinished: slide.destroy()
    }
}
