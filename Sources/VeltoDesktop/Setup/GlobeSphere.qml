import QtQuick
import Velto.Drawing
import Velto.Views

// The wire globe: a tinted glass disc under five parallels and six meridians that widen and narrow
// as the globe turns; only the meridians are drawn again as it turns.
Item {
    id: sphere
    property real time: 0

    GlassSurface {
        anchors.fill: parent
        cornerRadius: width / 2
        Rectangle {
            anchors.fill: parent
            radius: width / 2
            color: Qt.rgba(theme.accent.r, theme.accent.g, theme.accent.b, 0.12)
        }
    }

    // On whole pixels, so that the lines' texture is not resampled.
    GlobeWires {
        width: Math.ceil(sphere.width)
        height: Math.ceil(sphere.height)
        globeSide: Math.min(sphere.width, sphere.height)
        time: sphere.time
        color: Qt.rgba(theme.ink.r, theme.ink.g, theme.ink.b, 0.22)
    }
}
