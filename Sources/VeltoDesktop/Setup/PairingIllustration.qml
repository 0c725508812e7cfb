import QtQuick
import QtQuick.Shapes
import Velto.Views

// This machine and the service joined by an arc: pulses run along it while pairing is under way;
// the outcome colours the arc and puts a badge at its middle. Drawing only.
Item {
    id: picture
    required property var clock
    property string stage: "address"
    readonly property var scene: setupScenes.pairing(stage, width, height, timeline.time)
    readonly property color tint: theme.tint(scene.tint)

    Accessible.ignored: true

    FrameTimeline {
        id: timeline
        clock: picture.clock
        moves: setupScenes.pairingMoves(picture.stage, picture.clock.reduceMotion)
    }

    Shape {
        anchors.fill: parent
        opacity: picture.scene.arcOpacity
        Behavior on opacity {
            NumberAnimation { easing: setupMotion.stepSpring; duration: setupMotion.stepDuration }
        }
        ShapePath {
            strokeWidth: 3
            strokeColor: arcColor.value
            fillColor: "transparent"
            capStyle: ShapePath.RoundCap
            joinStyle: ShapePath.MiterJoin
            miterLimit: 10
            strokeStyle: picture.scene.isDashed ? ShapePath.DashLine : ShapePath.SolidLine
            // In stroke widths: 2 points drawn, 9 apart, at width 3.
            dashPattern: [0.667, 3]
            startX: picture.scene.start.x
            startY: picture.scene.start.y
            PathQuad {
                x: picture.scene.end.x
                y: picture.scene.end.y
                controlX: picture.scene.control.x
                controlY: picture.scene.control.y
            }
        }
    }
    QtObject {
        id: arcColor
        property color value: picture.tint
        Behavior on value {
            ColorAnimation { easing: setupMotion.stepSpring; duration: setupMotion.stepDuration }
        }
    }

    Repeater {
        model: 3
        Item {
            required property int index
            readonly property var modelData: picture.scene.pulses[index] || ({x: 0, y: 0, opacity: 0})
            visible: index < picture.scene.pulses.length
            x: modelData.x - 10.5
            y: modelData.y - 10.5
            width: 21
            height: 21
            opacity: modelData.opacity
            // A pulse never changes, it only moves: drawn once.
            layer.enabled: true
            layer.smooth: true
            Glow {
                anchors.centerIn: parent
                diameter: 21
                color: Qt.rgba(theme.accent.r, theme.accent.g, theme.accent.b, 0.3)
            }
            Rectangle {
                anchors.centerIn: parent
                width: 9
                height: 9
                radius: 4.5
                color: picture.tint
            }
        }
    }

    PairingNode {
        symbol: "laptopcomputer"
        label: userTexts.thisComputer
        x: picture.scene.start.x - width / 2
        y: picture.scene.start.y - height / 2 + 12
    }
    PairingNode {
        symbol: artwork.has("menu-bar-v") ? "" : "server-rack"
        glyph: artwork.has("menu-bar-v") ? "menu-bar-v" : ""
        label: userTexts.velto
        x: picture.scene.end.x - width / 2
        y: picture.scene.end.y - height / 2 + 12
    }

    Item {
        id: badge
        readonly property bool shown: picture.scene.badge.symbol !== undefined
        property string symbol: "checkmark"
        property color tint: theme.green
        onShownChanged: if (shown) { symbol = picture.scene.badge.symbol; tint = theme.tint(picture.scene.badge.tint) }
        Component.onCompleted: if (shown) { symbol = picture.scene.badge.symbol; tint = theme.tint(picture.scene.badge.tint) }

        x: picture.width * 0.5 - 23
        y: (shown ? picture.scene.badge.y : picture.height * 0.28) - 23
        width: 46
        height: 46
        opacity: shown ? 1 : 0
        scale: shown ? 1 : 0.2
        visible: opacity > 0.01
        Behavior on opacity {
            NumberAnimation { easing: setupMotion.stepSpring; duration: setupMotion.stepDuration }
        }
        Behavior on scale {
            NumberAnimation { easing: setupMotion.stepSpring; duration: setupMotion.stepDuration }
        }

        Glow {
            anchors.centerIn: parent
            diameter: 62
            color: Qt.rgba(badge.tint.r, badge.tint.g, badge.tint.b, 0.3)
        }
        Rectangle {
            anchors.fill: parent
            radius: 23
            gradient: Gradient {
                GradientStop { position: 0; color: Qt.lighter(badge.tint, 1.15) }
                GradientStop { position: 1; color: badge.tint }
            }
        }
        SymbolImage {
            anchors.centerIn: parent
            width: 20
            height: 20
            name: badge.symbol
            color: "white"
        }
    }
}
