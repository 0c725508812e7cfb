import QtQuick
import QtQuick.Templates as T
import Velto.Views

// A plain text field with its placeholder; it keeps at most 2,048 characters.
T.TextField {
    id: field

    color: theme.ink
    selectionColor: theme.accent
    selectedTextColor: theme.accentInk
    verticalAlignment: TextInput.AlignVCenter
    maximumLength: 2048
    selectByMouse: true
    clip: true
    font.pixelSize: 13

    PlainText {
        anchors.fill: parent
        verticalAlignment: Text.AlignVCenter
        visible: field.text.length === 0 && !field.preeditText
        text: field.placeholderText
        font: field.font
        color: theme.tertiary
        elide: Text.ElideRight
    }
}
