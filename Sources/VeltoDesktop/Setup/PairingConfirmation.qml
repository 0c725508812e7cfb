import QtQuick
import Velto.Views

// The link's server and codes, "Cancel" (Escape) and "Pair This Computer".
Column {
    id: confirmation
    required property var pair
    readonly property var proposal: pair.confirmation

    spacing: 14

    Column {
        width: parent.width
        spacing: 2
        // The server's name and address, however long, in a few lines each; the rest scrolls.
        BoundedScroll {
            width: parent.width
            maximumHeight: 36
            SelectableText {
                width: parent.width
                text: confirmation.proposal.authority || ""
                font.family: "monospace"
                font.weight: Font.DemiBold
                wrapMode: TextEdit.Wrap
            }
        }
        BoundedScroll {
            width: parent.width
            maximumHeight: 37
            SelectableText {
                width: parent.width
                text: confirmation.proposal.address || ""
                font.family: "monospace"
                font.pixelSize: 10
                color: theme.secondary
                wrapMode: TextEdit.Wrap
            }
        }
        PlainText {
            width: parent.width
            visible: (confirmation.proposal.cleartextNote || "").length > 0
            text: confirmation.proposal.cleartextNote || ""
            font.pixelSize: 10
            color: theme.orange
            wrapMode: Text.Wrap
        }
    }

    Loader {
        width: parent.width
        sourceComponent: confirmation.proposal.showsTiles ? tiles : list
    }
    Component {
        id: tiles
        CodeTiles { code: confirmation.proposal.tileCode || "" }
    }
    Component {
        id: list
        CodeList {
            countLine: confirmation.proposal.countLine || ""
            codes: confirmation.proposal.codes || []
        }
    }

    Row {
        spacing: 8
        GlassButton {
            objectName: "cancelPairing"
            implicitHeight: 32
            text: userTexts.cancel
            onClicked: confirmation.pair.cancelPairing()
        }
        GlassButton {
            objectName: "pairThisMac"
            implicitHeight: 32
            text: userTexts.pairThisComputer
            symbol: "lock-shield"
            isProminent: true
            onClicked: confirmation.pair.confirmPairing()
        }
    }
}
