import QtQuick

// A soft glow centred where it is placed: a blurred disc of `diameter` in `color` (its alpha the
// glow's strength), pre-rendered in C++ like the panel's shadow.
Image {
    property color color
    property int diameter: 20
    readonly property int margin: Math.max(4, Math.floor(diameter / 2))

    width: diameter + 2 * margin
    height: width
    source: "image://glow/" + color.toString().substring(1) + "/" + diameter
    smooth: true
}
