import QtQuick

// The user's round picture: the initial on a quaternary circle until the picture is in the cache.
Item {
    id: avatar
    property string address
    property string initial
    property real side: 30
    readonly property string source: (pictures.revision, pictures.remote(address, "circle"))

    width: side
    height: side
    Accessible.ignored: true

    Rectangle {
        anchors.fill: parent
        radius: width / 2
        color: theme.quaternary
        visible: picture.status !== Image.Ready
    }
    PlainText {
        anchors.centerIn: parent
        visible: picture.status !== Image.Ready
        text: avatar.initial
        font.pixelSize: Math.round(avatar.side * 0.43)
        font.weight: Font.DemiBold
        color: theme.secondary
    }
    Image {
        id: picture
        anchors.fill: parent
        source: avatar.source
        sourceSize: Qt.size(Math.ceil(avatar.side * Screen.devicePixelRatio),
                            Math.ceil(avatar.side * Screen.devicePixelRatio))
        cache: false
        smooth: true
    }
    Rectangle {
        anchors.fill: parent
        radius: width / 2
        color: "transparent"
        border.width: 0.5
        border.color: Qt.rgba(1, 1, 1, 0.25)
    }
}
