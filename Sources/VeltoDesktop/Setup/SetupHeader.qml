import QtQuick
import Velto.Views

// The wordmark and the step dots: the current step's capsule wide, the steps up to it filled.
Item {
    id: header
    required property var flow

    height: 48

    Wordmark {
        anchors.left: parent.left
        anchors.verticalCenter: parent.verticalCenter
        anchors.verticalCenterOffset: 2
        markHeight: 40
    }

    GlassSurface {
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        cornerRadius: 14
        width: dots.width + 24
        height: dots.height + 16
        Accessible.role: Accessible.StaticText
        Accessible.name: header.flow.stepLabel

        Row {
            id: dots
            anchors.centerIn: parent
            spacing: 6

            Repeater {
                model: header.flow.dots.length
                Rectangle {
                    required property int index
                    readonly property var dot: header.flow.dots[index]
                    height: 8
                    radius: 4
                    width: dot && dot.isCurrent ? 26 : 8
                    color: dot && dot.isFilled ? theme.ink : theme.quaternary
                    Behavior on width {
                        NumberAnimation { easing: setupMotion.stepSpring; duration: setupMotion.stepDuration }
                    }
                    Behavior on color {
                        ColorAnimation { easing: setupMotion.stepSpring; duration: setupMotion.stepDuration }
                    }
                }
            }
        }
    }
}
