import QtQuick
import Velto.Views

// Text the user can select and copy; always plain text.
TextEdit {
    readOnly: true
    selectByMouse: true
    textFormat: TextEdit.PlainText
    color: theme.ink
    selectionColor: theme.accent
    selectedTextColor: theme.accentInk
    font.pixelSize: 13
    renderType: Text.QtRendering
    activeFocusOnPress: true
}
