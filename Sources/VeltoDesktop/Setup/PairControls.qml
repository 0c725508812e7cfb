import QtQuick
import Velto.Views

// The controls of the pair stage; a stage change fades the new controls in with the step spring.
Item {
    id: controls
    required property var pair
    required property var clock
    readonly property string stage: pair.stage

    implicitHeight: loader.item ? loader.item.implicitHeight : 0
    height: implicitHeight

    onStageChanged: appear.restart()

    NumberAnimation {
        id: appear
        target: loader
        property: "opacity"
        from: 0
        to: 1
        easing: setupMotion.stepSpring
        duration: setupMotion.stepDuration
    }

    Loader {
        id: loader
        width: parent.width
        sourceComponent: {
            switch (controls.stage) {
            case "address": return addressEntry
            case "waitingForBrowser": return waitingControls
            case "pairing": return pairing
            case "confirming": return confirmation
            case "failed": return failed
            default: return null
            }
        }
    }

    Component {
        id: addressEntry
        AddressEntry { pair: controls.pair }
    }
    Component {
        id: waitingControls
        WaitingControls { pair: controls.pair; clock: controls.clock }
    }
    Component {
        id: pairing
        Item {
            implicitHeight: 20
            ProgressSpinner { clock: controls.clock }
        }
    }
    Component {
        id: confirmation
        PairingConfirmation { pair: controls.pair }
    }
    Component {
        id: failed
        Item {
            implicitHeight: 32
            GlassButton {
                objectName: "tryAgain"
                implicitHeight: 32
                text: userTexts.tryAgain
                symbol: "arrow-clockwise"
                isProminent: true
                onClicked: controls.pair.cancelPairing()
            }
        }
    }
}
