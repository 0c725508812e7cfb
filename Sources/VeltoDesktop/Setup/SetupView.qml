import QtQuick
import Velto.Views

// The setup window's content: the window controls, the header with the step dots, the sliding step
// and the footer's buttons, on the window colour. Dragging the background moves the window; Return
// presses the step's default button and Escape cancels a pending confirmation.
FocusScope {
    id: root
    required property var flow
    required property var clock

    width: 800
    height: 560
    focus: true

    function pressDefault() {
        if (flow.step === 0) {
            if (flow.pair.stage === "address" && flow.pair.address.length > 0)
                flow.pair.openPairingPage()
            else if (flow.pair.stage === "paired")
                flow.pressPrimary()
            return
        }
        if (flow.footer.primary.length > 0 && flow.footer.isEnabled)
            flow.pressPrimary()
    }

    Keys.onReturnPressed: pressDefault()
    Keys.onEnterPressed: pressDefault()
    Keys.onEscapePressed: {
        if (flow.step === 0 && flow.pair.stage === "confirming")
            flow.pair.cancelPairing()
    }

    // The window's clear colour is the background: a rectangle over the whole window would cost a
    // full-window fill on every frame a picture draws.
    Binding {
        target: root.Window.window
        property: "color"
        value: theme.window
        when: root.Window.window !== null
    }

    Item {
        anchors.fill: parent

        DragHandler {
            target: null
            onActiveChanged: {
                if (active && root.Window.window)
                    root.Window.window.startSystemMove()
            }
        }
        TapHandler {
            onTapped: root.forceActiveFocus()
        }
    }

    Column {
        anchors.fill: parent
        anchors.leftMargin: 32
        anchors.rightMargin: 32
        anchors.topMargin: 52
        anchors.bottomMargin: 24

        SetupHeader {
            width: parent.width
            flow: root.flow
        }
        StepSwitcher {
            objectName: "stepArea"
            width: parent.width
            height: parent.height - 48 - 40
            flow: root.flow
            clock: root.clock
        }
        SetupFooter {
            width: parent.width
            flow: root.flow
        }
    }

    WindowControls {
        x: 22
        y: 20
        flow: root.flow
    }
}
