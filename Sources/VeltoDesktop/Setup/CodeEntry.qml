import QtQuick
import Velto.Views

// "Have a pairing code?": the code field and "Pair", with the form's error under them.
Column {
    id: entry
    required property var pair

    spacing: 8

    LinkButton {
        objectName: "codeEntryToggle"
        text: entry.pair.codeEntryToggle
        onClicked: entry.pair.showsCodeEntry = !entry.pair.showsCodeEntry
    }

    Item {
        id: fields
        width: parent.width
        height: entry.pair.showsCodeEntry ? shown.height : 0
        visible: entry.pair.showsCodeEntry || opacity > 0.01
        opacity: entry.pair.showsCodeEntry ? 1 : 0
        clip: true
        Behavior on opacity {
            NumberAnimation { easing: setupMotion.stepSpring; duration: setupMotion.stepDuration }
        }

        Column {
            id: shown
            width: parent.width
            spacing: 8
            y: entry.pair.showsCodeEntry ? 0 : -12
            Behavior on y {
                NumberAnimation { easing: setupMotion.stepSpring; duration: setupMotion.stepDuration }
            }

            Row {
                width: parent.width
                spacing: 8
                GlassSurface {
                    width: parent.width - pairButton.width - parent.spacing
                    height: 36
                    cornerRadius: 12
                    SetupTextField {
                        id: code
                        objectName: "codeField"
                        anchors.fill: parent
                        anchors.leftMargin: 12
                        anchors.rightMargin: 12
                        font.family: "monospace"
                        placeholderText: userTexts.codePlaceholder
                        text: entry.pair.code
                        onTextEdited: entry.pair.code = text
                        Keys.onReturnPressed: (event) => { entry.pair.submitCode(); event.accepted = true }
                        Keys.onEnterPressed: (event) => { entry.pair.submitCode(); event.accepted = true }
                    }
                }
                GlassButton {
                    id: pairButton
                    objectName: "pairCode"
                    anchors.verticalCenter: parent.verticalCenter
                    implicitHeight: 28
                    text: userTexts.pair
                    enabled: entry.pair.code.length > 0
                    onClicked: entry.pair.submitCode()
                }
            }
            PlainText {
                width: parent.width
                visible: entry.pair.codeError.length > 0
                text: entry.pair.codeError
                font.pixelSize: 10
                color: theme.red
                wrapMode: Text.Wrap
            }
        }
    }
}
