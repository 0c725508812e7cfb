import QtQuick

// The sign that a flickable holds more than it shows: a slim bar at its trailing edge, as long and
// as far down as the part in view. Parented to the flickable itself, so it does not scroll.
Rectangle {
    property Flickable flickable
    readonly property bool scrolls: flickable !== null && flickable.contentHeight > flickable.height + 0.5

    objectName: "scrollMark"
    visible: scrolls
    width: 4
    radius: 2
    x: flickable ? flickable.width - width - 3 : 0
    y: flickable ? Math.max(0, flickable.visibleArea.yPosition) * flickable.height : 0
    height: flickable ? Math.min(1, flickable.visibleArea.heightRatio) * flickable.height : 0
    color: theme.tertiary
}
