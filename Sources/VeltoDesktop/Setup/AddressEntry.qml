import QtQuick
import Velto.Views

// The server's address and "Sign In and Pair"; the address's error under the field; the pairing
// page's address when no browser took it; then the code entry.
Column {
    id: entry
    required property var pair

    spacing: 12

    GlassSurface {
        width: parent.width
        height: 46
        cornerRadius: 16

        Row {
            anchors.fill: parent
            anchors.leftMargin: 14
            anchors.rightMargin: 14
            spacing: 8
            SymbolImage {
                anchors.verticalCenter: parent.verticalCenter
                width: 16
                height: 16
                name: "globe"
                color: theme.secondary
            }
            SetupTextField {
                objectName: "addressField"
                width: parent.width - 24
                height: parent.height
                font.pixelSize: 15
                placeholderText: userTexts.serverPlaceholder
                text: entry.pair.address
                onTextEdited: entry.pair.address = text
                Keys.onReturnPressed: (event) => { entry.pair.openPairingPage(); event.accepted = true }
                Keys.onEnterPressed: (event) => { entry.pair.openPairingPage(); event.accepted = true }
            }
        }
    }

    PlainText {
        width: parent.width
        visible: entry.pair.addressError.length > 0
        text: entry.pair.addressError
        font.pixelSize: 10
        color: theme.red
        wrapMode: Text.Wrap
    }

    Column {
        width: parent.width
        spacing: 4
        visible: entry.pair.unopenedPage.length > 0
        PlainText {
            width: parent.width
            text: userTexts.noBrowser
            font.pixelSize: 10
            color: theme.secondary
            wrapMode: Text.Wrap
        }
        // However long the address, three lines of it at most; the rest scrolls. It breaks after its
        // separators, inside a part only when the part is longer than a line.
        BoundedScroll {
            width: parent.width
            maximumHeight: 37
            SelectableText {
                objectName: "unopenedPage"
                width: parent.width
                text: entry.pair.unopenedPage
                font.family: "monospace"
                font.pixelSize: 10
                wrapMode: TextEdit.Wrap
            }
        }
    }

    GlassButton {
        objectName: "signInAndPair"
        implicitHeight: 32
        text: userTexts.signInAndPair
        symbol: "arrow-up-forward-app"
        isProminent: true
        enabled: entry.pair.address.length > 0
        onClicked: entry.pair.openPairingPage()
    }

    CodeEntry {
        width: parent.width
        pair: entry.pair
    }
}
