import QtQuick
import Velto.Views

// "Have a pairing code?": the code field and "Pair", with the form's error under them.
Column {
    id: entry
    required property var flow

    spacing: 8

    LinkButton {
        objectName: "codeEntryToggle"
        text: entry.flow.codeEntryToggle
        onClicked: entry.flow.showsCodeEntry = !entry.flow.showsCodeEntry
    }

    Item {
        id: fields
        width: parent.width
        height: entry.flow.showsCodeEntry ? shown.height : 0
        visible: entry.flow.showsCodeEntry || opacity > 0.01
        opacity: entry.flow.showsCodeEntry ? 1 : 0
        clip: true
        Behavior on opacity {
            NumberAnimation { easing: setupMotion.stepSpring; duration: setupMotion.stepDuration }
        }

        Column {
            id: shown
            width: parent.width
            spacing: 8
            y: entry.flow.showsCodeEntry ? 0 : -12
            Behavior on y {
                NumberAnimation { easing: setupMotion.stepSpring; duration: setupMotion.stepDuration }
            }

            Row {
                width: parent.width
                spacing: 8
                GlassSurface {
                    width: parent.width - pair.width - parent.spacing
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
                        text: entry.flow.code
                        onTextEdited: entry.flow.code = text
                        Keys.onReturnPressed: (event) => { entry.flow.submitCode(); event.accepted = true }
                        Keys.onEnterPressed: (event) => { entry.flow.submitCode(); event.accepted = true }
                    }
                }
                GlassButton {
                    id: pair
                    objectName: "pairCode"
                    anchors.verticalCenter: parent.verticalCenter
                    implicitHeight: 28
                    text: userTexts.pair
                    enabled: entry.flow.code.length > 0
                    onClicked: entry.flow.submitCode()
                }
            }
            PlainText {
                width: parent.width
                visible: entry.flow.codeError.length > 0
                text: entry.flow.codeError
                font.pixelSize: 10
                color: theme.red
                wrapMode: Text.Wrap
            }
        }
    }
}
