import QtQuick
import Velto.Views

// While the browser has the pairing page: the wait, "Open Again" and "Change Address", and the code
// entry.
Column {
    id: waiting
    required property var pair
    required property var clock

    spacing: 12

    Row {
        spacing: 10
        ProgressSpinner {
            anchors.verticalCenter: parent.verticalCenter
            clock: waiting.clock
        }
        PlainText {
            anchors.verticalCenter: parent.verticalCenter
            text: userTexts.waitingForVelto
            color: theme.secondary
        }
    }
    Row {
        spacing: 8
        GlassButton {
            implicitHeight: 28
            anchors.verticalCenter: parent.verticalCenter
            text: userTexts.openAgain
            symbol: "arrow-up-forward-app"
            onClicked: waiting.pair.openPairingPage()
        }
        LinkButton {
            objectName: "changeAddress"
            anchors.verticalCenter: parent.verticalCenter
            text: userTexts.changeAddress
            onClicked: waiting.pair.cancelPairing()
        }
    }
    CodeEntry {
        width: parent.width
        pair: waiting.pair
    }
}
