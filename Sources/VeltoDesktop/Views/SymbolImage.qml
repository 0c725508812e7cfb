import QtQuick

// One of our drawings in one colour, rendered at the item's size times the screen's pixel ratio.
Image {
    property string name
    property color color: theme.ink
    property real inkOpacity: 1

    source: name.length > 0 ? artwork.symbol(name, color, inkOpacity) : ""
    sourceSize: Qt.size(Math.ceil(width * Screen.devicePixelRatio), Math.ceil(height * Screen.devicePixelRatio))
    fillMode: Image.PreserveAspectFit
    smooth: true
    cache: false
}
