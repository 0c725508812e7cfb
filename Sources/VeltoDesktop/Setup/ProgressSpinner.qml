import QtQuick
import QtQuick.Shapes

// A small indeterminate progress indicator: an arc that turns while the window shows it.
Item {
    id: spinner
    property var clock
    property real side: 16

    width: side
    height: side
    Accessible.role: Accessible.ProgressBar

    Shape {
        anchors.fill: parent
        RotationAnimation on rotation {
            from: 0
            to: 360
            duration: 900
            loops: Animation.Infinite
            running: spinner.visible && (!spinner.clock || spinner.clock.isRunning)
        }
        ShapePath {
            strokeColor: theme.secondary
            strokeWidth: 2
            fillColor: "transparent"
            capStyle: ShapePath.RoundCap
            PathAngleArc {
                centerX: spinner.side / 2
                centerY: spinner.side / 2
                radiusX: spinner.side / 2 - 1.5
                radiusY: spinner.side / 2 - 1.5
                startAngle: -90
                sweepAngle: 270
            }
        }
    }
}
