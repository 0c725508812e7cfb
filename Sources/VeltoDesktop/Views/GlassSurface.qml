import QtQuick

// The one surface of cards and panels: a rounded rectangle in the window colour at 0.92 with a
// hairline border, or the tint at 0.25 when one is given. An interactive surface lightens while the
// pointer is over it. A surface that lies on the window's own colour with nothing under it draws only
// its hairline: its fill would blend the window colour onto itself, which on a software rasteriser
// costs every one of its pixels on every frame the window draws.
Rectangle {
    id: surface
    property real cornerRadius: 14
    property color tint: "transparent"
    property bool isInteractive: false
    /// Nothing but the window's colour is under the surface.
    property bool isOverWindow: false
    readonly property bool hasTint: tint.a > 0
    readonly property bool isHovered: isInteractive && hover.hovered

    radius: cornerRadius
    color: hasTint ? Qt.rgba(tint.r, tint.g, tint.b, 0.25)
                   : isOverWindow ? "transparent"
                                  : Qt.rgba(theme.window.r, theme.window.g, theme.window.b, 0.92)
    border.width: hasTint ? 0 : 1
    border.color: theme.hairline

    Rectangle {
        anchors.fill: parent
        radius: parent.radius
        color: Qt.rgba(1, 1, 1, 0.35)
        visible: surface.isHovered
    }

    HoverHandler {
        id: hover
        enabled: surface.isInteractive
    }
}
