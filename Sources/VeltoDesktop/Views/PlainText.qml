import QtQuick

// Every text the views show: plain text only, since names and messages come from outside and the
// default format would render markup and load pictures.
Text {
    textFormat: Text.PlainText
    color: theme.ink
    font.pixelSize: 13
    renderType: Text.QtRendering
}
