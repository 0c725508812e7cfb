import QtQuick
import Velto.Drawing
import Velto.Views

// A turning wire globe with the organization's picture at its centre and eight harness chips on
// three tilted orbits; chips in front are larger, brighter and over the globe. Drawing only.
Item {
    id: picture
    required property var clock
    /// The first enrollment as the flow gives it (organizationName, monogram, deviceId, …).
    property var organization: ({})
    readonly property real side: Math.min(width, height)
    readonly property real time: timeline.time
    readonly property var placements: setupScenes.orbiters(side, time)

    Accessible.ignored: true

    // The chips move at most about 2 points a frame at this rate, the meridians under 1.
    FrameTimeline {
        id: timeline
        clock: picture.clock
        frameRate: 30
    }

    // The rings never move: drawn once, then only composed into each frame.
    OrbitRings {
        anchors.centerIn: parent
        side: picture.side
        color: Qt.rgba(theme.ink.r, theme.ink.g, theme.ink.b, 0.12)
    }

    GlobeSphere {
        anchors.centerIn: parent
        width: 0.48 * picture.side
        height: width
        time: picture.time
        z: 1
    }

    OrganizationMark {
        anchors.centerIn: parent
        side: 0.2 * picture.side
        organization: picture.organization
        z: 1
    }

    Repeater {
        model: 8
        Item {
            id: chip
            required property int index
            readonly property var modelData: picture.placements[index]
            x: modelData.x - 18
            y: modelData.y - 18
            width: 36
            height: 36
            scale: modelData.scale
            opacity: modelData.opacity
            z: modelData.z
            // A chip never changes, it only moves: drawn once, at the largest it is shown. The layer
            // is on the chip inside, so that what moves and fades it is outside what the layer holds
            // and never asks for the layer to be drawn again.
            GlassSurface {
                anchors.fill: parent
                cornerRadius: 18
                layer.enabled: true
                layer.smooth: true
                layer.textureSize: Qt.size(Math.ceil(width * 1.1 * Screen.devicePixelRatio),
                                           Math.ceil(height * 1.1 * Screen.devicePixelRatio))
                HarnessLogo {
                    anchors.centerIn: parent
                    kind: chip.modelData.kind
                }
            }
        }
    }
}
