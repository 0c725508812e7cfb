import QtQuick

// One or two centred caption lines: a detail in the secondary colour, a problem in red; wrapped.
Column {
    property string detail
    property string problem

    spacing: 0
    PlainText {
        width: parent.width
        visible: parent.detail.length > 0
        text: parent.detail
        color: theme.secondary
        font.pixelSize: 11
        wrapMode: Text.Wrap
        horizontalAlignment: Text.AlignHCenter
    }
    PlainText {
        width: parent.width
        visible: parent.problem.length > 0
        text: parent.problem
        color: theme.red
        font.pixelSize: 11
        wrapMode: Text.Wrap
        horizontalAlignment: Text.AlignHCenter
    }
}
