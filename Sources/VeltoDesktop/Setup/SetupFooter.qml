import QtQuick
import Velto.Views

// "Back" on every step but the first, then the step's secondary and primary buttons. While a
// footer action awaits the model, or an install of the command runs, the buttons cannot be pressed.
Item {
    id: footer
    required property var flow
    readonly property var buttons: flow.footer

    height: 40

    GlassButton {
        id: back
        objectName: "footerBack"
        anchors.left: parent.left
        anchors.verticalCenter: parent.verticalCenter
        implicitHeight: 32
        text: userTexts.back
        symbol: "chevron-left"
        enabled: footer.buttons.isEnabled
        opacity: footer.buttons.showsBack ? (enabled ? 1 : 0.45) : 0
        visible: opacity > 0
        onClicked: footer.flow.pressBack()
        Behavior on opacity {
            NumberAnimation { easing: setupMotion.stepSpring; duration: setupMotion.stepDuration }
        }
    }

    Row {
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        spacing: 10

        GlassButton {
            objectName: "footerSecondary"
            implicitHeight: 32
            visible: footer.buttons.secondary.length > 0
            text: footer.buttons.secondary
            enabled: footer.buttons.isEnabled
            onClicked: footer.flow.pressSecondary()
        }
        GlassButton {
            id: primary
            objectName: "footerPrimary"
            implicitHeight: 32
            readonly property bool shown: footer.buttons.primary.length > 0
            visible: shown || scale > 0.01
            scale: shown ? 1 : 0.00001
            text: shown ? footer.buttons.primary : text
            isProminent: true
            enabled: shown && footer.buttons.isEnabled
            onClicked: footer.flow.pressPrimary()
            Behavior on scale {
                NumberAnimation { easing: setupMotion.stepSpring; duration: setupMotion.stepDuration }
            }
        }
    }
}
