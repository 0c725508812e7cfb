import QtQuick
import QtQuick.Shapes
import Velto.Views

// The wire globe: a tinted glass disc under five parallels and six meridians that widen and narrow
// as the globe turns.
Item {
    id: sphere
    property real time: 0
    readonly property var lines: setupScenes.globe(width, height, time)
    readonly property color stroke: Qt.rgba(theme.ink.r, theme.ink.g, theme.ink.b, 0.22)

    GlassSurface {
        anchors.fill: parent
        cornerRadius: width / 2
        Rectangle {
            anchors.fill: parent
            radius: width / 2
            color: Qt.rgba(theme.accent.r, theme.accent.g, theme.accent.b, 0.12)
        }
    }

    component Ellipse: PathAngleArc {
        property rect frame
        centerX: frame.x + frame.width / 2
        centerY: frame.y + frame.height / 2
        radiusX: frame.width / 2
        radiusY: frame.height / 2
        startAngle: 0
        sweepAngle: 360
        moveToStart: true
    }

    Shape {
        anchors.fill: parent
        ShapePath {
            strokeWidth: 1
            strokeColor: sphere.stroke
            fillColor: "transparent"
            Ellipse { frame: sphere.lines.parallels[0] }
            Ellipse { frame: sphere.lines.parallels[1] }
            Ellipse { frame: sphere.lines.parallels[2] }
            Ellipse { frame: sphere.lines.parallels[3] }
            Ellipse { frame: sphere.lines.parallels[4] }
            Ellipse { frame: sphere.lines.meridians[0] }
            Ellipse { frame: sphere.lines.meridians[1] }
            Ellipse { frame: sphere.lines.meridians[2] }
            Ellipse { frame: sphere.lines.meridians[3] }
            Ellipse { frame: sphere.lines.meridians[4] }
            Ellipse { frame: sphere.lines.meridians[5] }
        }
    }
}
